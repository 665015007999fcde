#include "app/AppIntents.h"

#include "app/AppLogging.h"
#include "app/AppState.h"
#include "app/GetActiveRecordingDurationIntent.h"
#include "app/GetPreviousRecordingIntent.h"
#include "app/GetRecordingStateIntent.h"
#include "app/SetRecordingStateIntent.h"
#include "kit/foundation/errors/GeneralError.h"
#include "platform/automation/AutomationService.h"
#include "recording/AudioRecorderController.h"
#include "recording/InputAvailability.h"

#include <QStringList>

namespace AppIntents {

namespace {

QString annotationName(const char *name)
{
    return QStringLiteral("com.larkvelden.Tapewick.") + QLatin1String(name);
}

std::vector<AutomationAnnotation> intentAnnotations(const char *title, const char *className)
{
    return { { annotationName("Title"), QString::fromUtf8(title) },
        { annotationName("IntentClassName"), QString::fromUtf8(className) } };
}

// The type's name and each case's display name, keyed by its raw value.
std::vector<AutomationAnnotation> stateAnnotations()
{
    std::vector<AutomationAnnotation> annotations { { annotationName("Type"),
        QString::fromUtf8(RecordingStateAppEnums::typeDisplayName) } };
    for (RecordingStateAppEnum state : RecordingStateAppEnums::allCases) {
        annotations.push_back({ annotationName("Case.") + RecordingStateAppEnums::rawValue(state),
            RecordingStateAppEnums::displayName(state) });
    }
    return annotations;
}

AutomationResult values(QVariantList list)
{
    return list;
}

// An empty text stands for the parameter left at its default.
std::variant<RecordingStateAppEnum, AutomationError> stateArgument(const QString &raw)
{
    if (raw.isEmpty()) {
        return SetRecordingStateIntent::defaultState;
    }
    if (const std::optional<RecordingStateAppEnum> state = RecordingStateAppEnums::fromRawValue(raw)) {
        return *state;
    }
    QStringList names;
    for (RecordingStateAppEnum state : RecordingStateAppEnums::allCases) {
        names << RecordingStateAppEnums::rawValue(state);
    }
    return AutomationError::invalidArguments(
        QStringLiteral("The state must be one of %1, or empty for %2; \"%3\" is none of them")
            .arg(names.join(QStringLiteral(", ")),
                RecordingStateAppEnums::rawValue(SetRecordingStateIntent::defaultState), raw));
}

} // namespace

AutomationInterface makeInterface(ControllerProvider controller)
{
    using Intent = AutomationMethod;
    std::vector<AutomationAnnotation> stateParameter = stateAnnotations();
    stateParameter.push_back(
        { annotationName("Title"), QString::fromUtf8(SetRecordingStateIntent::stateTitle) });
    stateParameter.push_back({ annotationName("Default"),
        RecordingStateAppEnums::rawValue(SetRecordingStateIntent::defaultState) });

    std::vector<AutomationAnnotation> setAnnotations
        = intentAnnotations(SetRecordingStateIntent::title, SetRecordingStateIntent::intentClassName);
    setAnnotations.push_back(
        { annotationName("ParameterSummary"), QString::fromUtf8(SetRecordingStateIntent::parameterSummary) });

    return { QString::fromLatin1(interfaceName),
        {
            Intent { QStringLiteral("GetRecordingState"),
                intentAnnotations(GetRecordingStateIntent::title, GetRecordingStateIntent::intentClassName),
                {}, { { QStringLiteral("state"), QStringLiteral("s"), stateAnnotations() } },
                [controller](const QVariantList &) {
                    return values({ RecordingStateAppEnums::rawValue(
                        GetRecordingStateIntent().perform(controller())) });
                } },
            Intent { QStringLiteral("SetRecordingState"), setAnnotations,
                { { QStringLiteral("state"), QStringLiteral("s"), stateParameter } }, {},
                [controller](const QVariantList &arguments) -> AutomationResult {
                    const auto state = stateArgument(arguments.at(0).toString());
                    if (const AutomationError *error = std::get_if<AutomationError>(&state)) {
                        return *error;
                    }
                    SetRecordingStateIntent intent;
                    intent.state = std::get<RecordingStateAppEnum>(state);
                    // The controller starts nothing then; the caller learns why.
                    if (intent.state == RecordingStateAppEnum::recording && controller().isEnding()) {
                        return AutomationError { QString::fromLatin1(quittingError),
                            QString::fromUtf8(SetRecordingStateIntent::quitting) };
                    }
                    // The start says why it cannot record in the alert a shortcut's start shows (a
                    // desktop's shortcut may be what called), and the caller gets the same reason.
                    const std::optional<InputAvailability::Reason> unavailable
                        = intent.state == RecordingStateAppEnum::recording
                            && controller().recorder().state() != AudioRecorder::State::recording
                        ? InputAvailability::check()
                        : std::nullopt;
                    intent.perform(controller());
                    if (unavailable) {
                        return AutomationError { QString::fromLatin1(cannotRecordError),
                            InputAvailability::text(*unavailable) };
                    }
                    return values({});
                } },
            Intent { QStringLiteral("GetActiveRecordingDuration"),
                intentAnnotations(GetActiveRecordingDurationIntent::title,
                    GetActiveRecordingDurationIntent::intentClassName),
                {}, { { QStringLiteral("seconds"), QStringLiteral("d"), {} } },
                [controller](const QVariantList &) {
                    return values({ GetActiveRecordingDurationIntent().perform(controller()) });
                } },
            Intent { QStringLiteral("GetPreviousRecording"),
                intentAnnotations(
                    GetPreviousRecordingIntent::title, GetPreviousRecordingIntent::intentClassName),
                {},
                { { QStringLiteral("path"), QStringLiteral("s"), {} },
                    { QStringLiteral("filename"), QStringLiteral("s"), {} },
                    { QStringLiteral("contentType"), QStringLiteral("s"), {} } },
                [](const QVariantList &) -> AutomationResult {
                    try {
                        const IntentFile file = GetPreviousRecordingIntent().perform();
                        return values({ file.fileURL.toLocalFile(), file.filename, file.type });
                    } catch (const GeneralError &error) {
                        return AutomationError { QString::fromLatin1(noPreviousRecordingError),
                            error.localizedDescription() };
                    }
                } },
        } };
}

std::unique_ptr<AutomationService> serve(const QDBusConnection &connection, const QString &path)
{
    auto service = std::make_unique<AutomationService>(
        makeInterface([]() -> AudioRecorderController & { return AppState::shared().recorder(); }));
    if (const std::optional<QString> failure = service->exportOn(connection, path)) {
        qCWarning(appLog).noquote() << "Automation is unavailable:" << *failure;
    }
    return service;
}

} // namespace AppIntents
