#pragma once

#include "kit/foundation/errors/Error.h"
#include "platform/desktop/StatusBarButton.h"
#include "platform/events/AnyCancellable.h"
#include "platform/events/CancellableSet.h"
#include "recording/AudioRecorder.h"

#include <QCoro/QCoroTask>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class InputMonitor;
class QFileDialog;
class RecordingSettings;
class SystemSoundPlayer;

// The one place through which every trigger starts, pauses, resumes and stops a
// recording: it plays the sounds that mark those moments, names the file, keeps
// the status button up to date while a recording runs, and saves the result when
// the recording ends. GUI thread only.
class AudioRecorderController : public QObject
{
    Q_OBJECT

public:
    // `sounds` stays the caller's and must outlive the controller; none plays the
    // program's own start and end sounds.
    explicit AudioRecorderController(std::shared_ptr<RecordingSettings> settings,
        SystemSoundPlayer *sounds = nullptr, QObject *parent = nullptr);
    ~AudioRecorderController() override;

    AudioRecorder &recorder() { return *m_recorder; }
    const AudioRecorder &recorder() const { return *m_recorder; }

    // Monitoring the user switched on from the menu, independent of recording; released by itself
    // once no input is left to monitor.
    InputMonitor *manualInputMonitor() const { return m_manualInputMonitor.get(); }
    void setManualInputMonitor(std::unique_ptr<InputMonitor> monitor);

    // Given once the status item exists; until then the button is left alone. `showsTitle` tells,
    // whenever asked, whether the panel shows the button's title beside its image (none: it does);
    // the elapsed time goes there only then, and into the tooltip always.
    void setStatusBarButton(StatusBarButton *button, std::function<bool()> showsTitle = {})
    {
        m_statusBarButton = button;
        m_showsTitle = std::move(showsTitle);
    }
    StatusBarButton *statusBarButton() const { return m_statusBarButton; }

    // `modifiers`: those of the choice that stops, as stopRecording() takes them.
    void toggleRecording(std::optional<Qt::KeyboardModifiers> modifiers = std::nullopt);
    // Plays the start sound, then starts; a failure is reported and shown. While a start waits
    // for its sound, another start does nothing.
    void start();
    // Stops at once, then plays the end sound, whatever the state; a start still waiting for its
    // sound is cancelled. The modifier keys that decide where the recording is saved are those of
    // this moment: `modifiers` when the caller knows them (a click's), else those held now.
    void stopRecording(std::optional<Qt::KeyboardModifiers> modifiers = std::nullopt);
    // Plays the end sound, then pauses the recording that ran when asked; a stop or a start
    // meanwhile cancels the pause.
    void pause();
    // Pauses at once and then plays the end sound, or resumes after the start sound the recording
    // that was paused when asked; a stop or a start meanwhile cancels the resume.
    QCoro::Task<> togglePauseAsync();

    // The program has begun to end, for good: from now on no recording starts (one waiting for its
    // start sound is cancelled), the recording's level no longer reaches the button, and a saved
    // recording asks for no review, which waits for an ordinary save: an ending shows no alert
    // that nobody may be there to answer.
    void beginEnding();
    bool isEnding() const { return m_isEnding; }

    // Whether a recording that ended is still on its way to its place: its end not yet handled,
    // its save panel still to come, or its copy or metadata rewrite not yet over.
    bool isSaving() const
    {
        return m_endsToHandle > 0 || m_savesInProgress > 0 || !m_waitingForSavePanel.isEmpty();
    }
    // Whether a save panel is open, or closed with its event loop not yet left.
    bool hasOpenSavePanel() const { return !m_openSavePanel.isNull(); }
    // Closes the save panel, unanswered, when one is open; answers whether one was. The panel's
    // own event loop ends only once control returns to it.
    bool dismissSavePanel();
    // Where a recording is saved without asking: the default output directory, when one is set and
    // still found.
    std::optional<QUrl> outputDirectory() const;
    // Removes, from the default output directory, the hidden files of copies and rewrites that a
    // process ending mid-way left there.
    void removeInterruptedSaves();

    // The steps of starting and finishing, each usable on its own.
    void startRecording();
    void updateStatusButtonTitle(double level);
    // The end of a recording, with its own file. The button gets its resting look back unless a
    // newer recording runs meanwhile.
    void resetStatusButton(const AudioRecorder::End &end);
    // Each takes the recording to save, by default the recorder's current file.
    void handleRecordingStopped(std::optional<QUrl> source = std::nullopt);
    // One panel at a time: while one is open, the recording waits for its own until that one is
    // answered, and the open one comes forward. Once the program ends, a recording still waiting
    // goes to the default output directory, else stays for recovery.
    void showSavePanel(std::optional<QUrl> source = std::nullopt);
    // The recordings waiting for their save panel, in the order they asked.
    QList<QUrl> recordingsWaitingForSavePanel() const { return m_waitingForSavePanel; }
    // Copies the recording to `destination` off the GUI thread and then does the rest on it;
    // `uniquify` keeps an existing file there and picks a free name, otherwise the file is
    // replaced.
    void finishRecording(const QUrl &destination, bool uniquify, std::optional<QUrl> source = std::nullopt);

    // The save panel offered for a recording: only its own file type, its whole name, in
    // `directory`; the name accepted always ends in the recording's extension.
    static std::unique_ptr<QFileDialog> makeSavePanel(const QUrl &recording, const QString &directory);
    // The Option key (Alt) held alone, Caps Lock and the keypad not counting.
    static bool isOnlyOptionHeld(Qt::KeyboardModifiers modifiers);
    // The creator attribute's text: the application's name and version.
    static QString creatorText();
    // Whether the elapsed time shows beside the status button's image: asked for in the settings,
    // and the panel shows titles there.
    bool showsDurationBesideButton() const;

    // Where the desktop is stood in for: the keyboard state, showing the save panel
    // (answers its result code), and revealing files in the file manager.
    using ModifierQuery = std::function<Qt::KeyboardModifiers()>;
    using SavePanelRunner = std::function<int(QFileDialog &panel)>;
    using Revealer = std::function<void(const QList<QUrl> &files)>;
    void setModifierQuery(ModifierQuery query) { m_modifierQuery = std::move(query); }
    void setSavePanelRunner(SavePanelRunner runner) { m_savePanelRunner = std::move(runner); }
    void setRevealer(Revealer revealer) { m_revealer = std::move(revealer); }

signals:
    // A recording was copied to its place; the metadata rewrite may still be running.
    void recordingSaved(const QUrl &location);
    // The metadata rewrite of a saved recording is over, whether or not it succeeded; the latest
    // saved recording is remembered as the previous one by then.
    void metadataExportFinished(const QUrl &location);
    // Copying the recording to its place failed; it stays at `recording`.
    void saveFailed(const QUrl &recording);

private:
    QCoro::Task<> play(quint32 soundId);
    QCoro::Task<> startAfterSound();
    QCoro::Task<> pauseAfterSound();
    QCoro::Task<> playEndSound();
    // Held by every step of one save; the save is over once the last one lets go.
    using SaveToken = std::shared_ptr<void>;
    SaveToken beginSave();
    QCoro::Task<> saveRecording(QUrl source, QUrl destination, bool uniquify, SaveToken token);
    QCoro::Task<> exportMetadata(QUrl location, SaveToken token);
    // Cancels a pause or resume still waiting for its sound.
    void cancelPendingPause() { m_pendingPause = 0; }
    // A recording into which no audio was counted: removed once its file is found to hold none
    // either, otherwise saved.
    QCoro::Task<> saveUnlessEmpty(QUrl recording, SaveToken token);
    void monitorInputChanged(bool monitor);
    void runSavePanel(const QUrl &source);
    void saveWithoutAsking(const QUrl &source);

    std::shared_ptr<RecordingSettings> m_settings;
    std::unique_ptr<SystemSoundPlayer> m_ownSounds;
    SystemSoundPlayer *m_sounds;
    Events::CancellableSet m_cancellables;
    Events::AnyCancellable m_updateCancellable;
    Events::AnyCancellable m_stopCancellable;
    // The start waiting for its sound, by number; 0 when none waits.
    quint64 m_pendingStart = 0;
    quint64 m_startCount = 0;
    // Likewise the pause or resume waiting for its sound.
    quint64 m_pendingPause = 0;
    quint64 m_pauseCount = 0;
    int m_endsToHandle = 0;
    bool m_isEnding = false;
    QPointer<QFileDialog> m_openSavePanel;
    QList<QUrl> m_waitingForSavePanel;
    // The modifier keys of each stop, by the stopped recording's file, until its end is handled.
    QHash<QUrl, Qt::KeyboardModifiers> m_stopModifiers;
    int m_savesInProgress = 0;
    std::unique_ptr<AudioRecorder> m_recorder;
    // Saves by the order they began in, and the latest of them whose copy has ended.
    quint64 m_saveCount = 0;
    quint64 m_newestCopyEnded = 0;
    // Where that save put its recording, which alone becomes the previous recording once
    // rewritten; empty when its copy failed.
    QUrl m_latestSaved;
    std::unique_ptr<InputMonitor> m_manualInputMonitor;
    QPointer<StatusBarButton> m_statusBarButton;
    std::function<bool()> m_showsTitle;
    // What the button shows of the current recording, so that a tick that changes nothing
    // draws nothing.
    struct ShownLook
    {
        QRgb tint = 0;
        qint64 image = 0;
        bool padded = false;
        bool titled = false;
        friend bool operator==(const ShownLook &, const ShownLook &) = default;
    };
    ShownLook m_shownLook;
    ModifierQuery m_modifierQuery;
    SavePanelRunner m_savePanelRunner;
    Revealer m_revealer;
};
