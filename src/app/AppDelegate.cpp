#include "app/AppDelegate.h"

#include "app/AppState.h"
#include "kit/services/KwApp.h"

void AppDelegate::install()
{
    KwApp::setShouldTerminate([] { return applicationShouldTerminate(); });
}

bool AppDelegate::applicationShouldTerminate()
{
    return AppState::shared().confirmQuit() == AppState::TerminateReply::terminateNow;
}
