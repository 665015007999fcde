#pragma once

#include "app/AppRecordingSettings.h"
#include "app/AppState.h"

#include "AudioDoubles.h"
#include "MenuInspection.h"
#include "StandardDefaultsTest.h"

#include <QCoreApplication>

#include <memory>

// The status menu against the audio doubles: a stereo built-in microphone, the default input, and
// a mono headset.
class StatusMenuFixture : public StandardDefaultsTest
{
protected:
    void SetUp() override
    {
        StandardDefaultsTest::SetUp();
        HardwareDevice microphone = FakeAudioHardware::input(1, QStringLiteral("mic"), 2);
        microphone.name = QStringLiteral("Built-in Microphone With A Very Long Name");
        HardwareDevice headset = FakeAudioHardware::input(2, QStringLiteral("headset"), 1);
        headset.name = QStringLiteral("Headset");
        m_hardware.deviceList
            = { microphone, headset, FakeAudioHardware::output(3, QStringLiteral("speaker")) };
        m_hardware.defaultInput = 1;
    }
    void TearDown() override
    {
        m_state.reset();
        StandardDefaultsTest::TearDown();
    }

    // Made on first use, without its launch sequence: it waits in the event queue, and the tests
    // that let the event loop run (for an alert) drive the menu alone.
    AppState &state()
    {
        if (!m_state) {
            AppState::Environment environment;
            environment.settings = std::make_shared<AppRecordingSettings>();
            m_state = std::make_unique<AppState>(environment);
            QCoreApplication::removePostedEvents(m_state.get(), QEvent::MetaCall);
        }
        return *m_state;
    }
    QStringList rows()
    {
        state();
        m_state->updateMenu(m_state->menu());
        return menuRows(m_state->menu());
    }
    QAction *item(const QString &title) { return findItem(m_state->menu(), title); }

    AudioDoubles::Installation m_doubles;
    FakeAudioHardware &m_hardware = m_doubles.hardware;
    FakeFileRecorderFactory &m_recorders = m_doubles.recorders;
    std::unique_ptr<AppState> m_state;
};
