#include "recording/AudioRecorderController.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/FileOperations.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/panels/PanelDirectory.h"
#include "kit/services/KwApp.h"
#include "kit/ui/Pasteboard.h"
#include "platform/audio/AudioFileRecorder.h"
#include "platform/audio/FourCharCode.h"
#include "platform/audio/GstSoundPlayer.h"
#include "platform/audio/MediaDuration.h"
#include "platform/audio/SystemSoundPlayer.h"
#include "platform/desktop/FileManager.h"
#include "platform/desktop/StatusBarButton.h"
#include "platform/events/MainThread.h"
#include "platform/events/WorkerThread.h"
#include "recording/AttributedButtonTitle.h"
#include "recording/AudioDevice.h"
#include "recording/AudioRecorder.h"
#include "recording/InputAvailability.h"
#include "recording/InputMonitor.h"
#include "recording/MetadataExport.h"
#include "recording/RecordingNaming.h"
#include "recording/RecordingSavePanel.h"
#include "recording/RecordingSettings.h"
#include "recording/RecordingTexts.h"
#include "recording/StatusButtonStyle.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <coroutine>

namespace {

Q_LOGGING_CATEGORY(recordingLog, "tapewick.recording", QtInfoMsg)

constexpr char creatorKey[] = "kMDItemCreator";
const QList<int> reviewCounts { 6, 200, 2000 };
// Room between the elapsed time and the icon, in points.
constexpr qreal titleGap = 2;
// More than the header of a recording without audio takes in either format (under a kilobyte).
constexpr qint64 emptyContainerBytes = 4096;

// Resumes the awaiting coroutine once the sound player calls its completion.
struct SoundCompletion
{
    SystemSoundPlayer *player;
    quint32 soundId;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) const
    {
        player->play(soundId, [handle] { handle.resume(); });
    }
    void await_resume() const noexcept { }
};

void reportAndShow(const Error &error, std::source_location location = std::source_location::current())
{
    const ErrorPtr reportedError = reported(error.clone(), {}, location);
    presentAsModal(*reportedError);
}

// What the user is shown of a recording that did not reach its place: what failed, why, and where
// the recording is kept (when anything is). The cause stays as the underlying error.
GeneralError notSavedError(
    const QString &description, const QString &reason, const Error &cause, const QUrl &recording)
{
    const QString path = recording.toLocalFile();
    const QString where
        = QFileInfo::exists(path) ? QStringLiteral("\n\n") + RecordingTexts::keptAt(path) : QString();
    return GeneralError(description, reason + where, {}, recording, { cause.clone() });
}

qreal backingScaleFactor()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

QString fileName(const QUrl &url)
{
    return QFileInfo(url.toLocalFile()).fileName();
}

// Whether a recording's file, read back, holds no audio: it lasts no time, or it does not read as
// media and is no larger than the bare container of a recording without audio. Deleting is for
// good, so a file that cannot be told empty is not.
bool holdsNoAudio(const QString &path)
{
    const QFileInfo file(path);
    if (!file.exists()) {
        return true;
    }
    if (const std::optional<double> seconds = mediaDurationSeconds(path)) {
        return *seconds <= 0;
    }
    return file.size() <= emptyContainerBytes;
}

} // namespace

AudioRecorderController::AudioRecorderController(
    std::shared_ptr<RecordingSettings> settings, SystemSoundPlayer *sounds, QObject *parent)
    : QObject(parent)
    , m_settings(std::move(settings))
    , m_ownSounds(sounds ? nullptr : std::make_unique<GstSoundPlayer>())
    , m_sounds(sounds ? sounds : m_ownSounds.get())
    , m_recorder(std::make_unique<AudioRecorder>(false))
    , m_modifierQuery([] { return QGuiApplication::queryKeyboardModifiers(); })
    , m_savePanelRunner([](QFileDialog &panel) { return panel.exec(); })
    , m_revealer([](const QList<QUrl> &files) { FileManager::revealItems(files); })
{
    ASSERT_MAIN_THREAD();
    QPointer<AudioRecorderController> self(this);
    m_cancellables.insert(m_settings->monitorInputPublisher().receiveOnMain().sink([self](bool monitor) {
        if (self) {
            self->monitorInputChanged(monitor);
        }
    }));
    // Held for the controller's life, not per recording: an older recording that ends after a
    // newer one started is still saved.
    // Counted from the moment it is published, so that an ending program knows the recording is
    // still to be saved while its end waits in the queue.
    m_stopCancellable = m_recorder->didStopPublisher().sink([self](const AudioRecorder::End &end) {
        if (!self) {
            return;
        }
        ++self->m_endsToHandle;
        Events::runOnMain([self, end] {
            if (!self) {
                return;
            }
            const auto handled = qScopeGuard([self] {
                if (self) {
                    --self->m_endsToHandle;
                }
            });
            self->resetStatusButton(end);
        });
    });
}

AudioRecorderController::~AudioRecorderController() = default;

void AudioRecorderController::monitorInputChanged(bool monitor)
{
    m_recorder->setShouldMonitorInputWhileRecording(monitor);
    if (monitor) {
        m_recorder->updateInputMonitor();
    } else {
        m_recorder->releaseInputMonitor();
    }
}

void AudioRecorderController::setManualInputMonitor(std::unique_ptr<InputMonitor> monitor)
{
    ASSERT_MAIN_THREAD();
    m_manualInputMonitor = std::move(monitor);
    if (m_manualInputMonitor) {
        connect(m_manualInputMonitor.get(), &InputMonitor::inputLost, this,
            [this] { m_manualInputMonitor.reset(); });
    }
}

void AudioRecorderController::toggleRecording(std::optional<Qt::KeyboardModifiers> modifiers)
{
    ASSERT_MAIN_THREAD();
    if (m_recorder->state() == AudioRecorder::State::stopped) {
        start();
    } else {
        stopRecording(modifiers);
    }
}

QCoro::Task<> AudioRecorderController::play(quint32 soundId)
{
    SoundCompletion completion { m_sounds, soundId };
    co_await completion;
}

void AudioRecorderController::start()
{
    ASSERT_MAIN_THREAD();
    if (m_isEnding) {
        qCInfo(recordingLog) << "No recording starts while the program ends";
        return;
    }
    // Asked for the recording running now, not for the one this start may begin.
    cancelPendingPause();
    if (m_recorder->state() == AudioRecorder::State::recording || m_pendingStart != 0) {
        return;
    }
    m_pendingStart = ++m_startCount;
    startAfterSound();
}

QCoro::Task<> AudioRecorderController::startAfterSound()
{
    QPointer<AudioRecorderController> self(this);
    const quint64 start = m_pendingStart;
    QCoro::Task<> sound = play(SystemSoundId::beginRecording);
    co_await sound;
    // A stop during the sound cancelled this start.
    if (!self || self->m_pendingStart != start) {
        co_return;
    }
    self->m_pendingStart = 0;
    // Asked before the default input, whose read would give the server's own words for the same
    // cause; nothing of the program's own failed, so nothing is reported.
    if (const std::optional<InputAvailability::Reason> unavailable = InputAvailability::check()) {
        presentAsModal(InputAvailability::error(*unavailable));
        co_return;
    }
    try {
        self->startRecording();
    } catch (const Error &error) {
        reportAndShow(error);
    } catch (const std::exception &error) {
        reportAndShow(GeneralError(QString::fromUtf8(error.what())));
    }
}

void AudioRecorderController::beginEnding()
{
    ASSERT_MAIN_THREAD();
    m_isEnding = true;
    m_pendingStart = 0;
    // The button shows the ending from now on, not the level of the recording it stops.
    m_updateCancellable.cancel();
    // Nobody is there to answer a panel asked for earlier.
    m_stopModifiers.clear();
}

void AudioRecorderController::stopRecording(std::optional<Qt::KeyboardModifiers> modifiers)
{
    ASSERT_MAIN_THREAD();
    m_pendingStart = 0;
    cancelPendingPause();
    // Read now: the recording's end comes once its file is complete, when the keys may be let go.
    if (const std::optional<QUrl> stopped = m_recorder->url();
        stopped && m_recorder->state() != AudioRecorder::State::stopped) {
        m_stopModifiers.insert(*stopped, modifiers.value_or(m_modifierQuery()));
    }
    m_recorder->stop();
    playEndSound();
}

QCoro::Task<> AudioRecorderController::playEndSound()
{
    QCoro::Task<> sound = play(SystemSoundId::endRecording);
    co_await sound;
}

void AudioRecorderController::pause()
{
    ASSERT_MAIN_THREAD();
    pauseAfterSound();
}

QCoro::Task<> AudioRecorderController::pauseAfterSound()
{
    QPointer<AudioRecorderController> self(this);
    const quint64 pause = m_pendingPause = ++m_pauseCount;
    QCoro::Task<> sound = play(SystemSoundId::endRecording);
    co_await sound;
    if (self && self->m_pendingPause == pause) {
        self->m_pendingPause = 0;
        self->m_recorder->pause();
    }
}

QCoro::Task<> AudioRecorderController::togglePauseAsync()
{
    ASSERT_MAIN_THREAD();
    QPointer<AudioRecorderController> self(this);
    if (m_recorder->state() == AudioRecorder::State::paused) {
        const quint64 resume = m_pendingPause = ++m_pauseCount;
        QCoro::Task<> sound = play(SystemSoundId::beginRecording);
        co_await sound;
        if (self && self->m_pendingPause == resume) {
            self->m_pendingPause = 0;
            self->m_recorder->togglePause();
        }
        co_return;
    }
    cancelPendingPause();
    m_recorder->togglePause();
    QCoro::Task<> sound = play(SystemSoundId::endRecording);
    co_await sound;
}

void AudioRecorderController::startRecording()
{
    if (QWidget *settingsWindow = KwApp::settingsWindow()) {
        settingsWindow->close();
    }

    if (const std::optional<InputAvailability::Reason> unavailable = InputAvailability::check()) {
        throw InputAvailability::error(*unavailable);
    }
    const AudioDevice device = AudioDevice::defaultInputDevice();
    const bool lossless = m_settings->lossless();
    const bool forceMono = m_settings->forcesMono(device.id);
    // Input the user already monitors from the menu is not played a second time.
    const bool monitor = m_settings->monitorInput() && !m_manualInputMonitor;

    const QString name = recordingName(m_settings->filenamePrefix(), m_settings->filenameTemplate());
    const QUrl directory = uniqueTemporaryDirectory();
    const QString extension = m_settings->lossless() ? QStringLiteral(".wav") : QStringLiteral(".m4a");
    const QUrl url = QUrl::fromLocalFile(QDir(directory.toLocalFile()).filePath(name + extension));

    try {
        m_recorder->start(url, lossless ? AudioFormatId::linearPcm : AudioFormatId::aac, 96, std::nullopt,
            AudioRecorder::BitRate::bps256000, AudioRecorder::SampleRate::hz48000, forceMono, monitor);
    } catch (...) {
        // Only an empty one: what "Recover Recordings…" shows should hold recordings.
        QDir().rmdir(directory.toLocalFile());
        throw;
    }

    m_shownLook = {};
    if (m_statusBarButton) {
        m_statusBarButton->setAppearsDisabled(false);
        m_statusBarButton->setImagePosition(showsDurationBesideButton()
                ? StatusBarButton::ImagePosition::imageRight
                : StatusBarButton::ImagePosition::imageOnly);
    }

    QPointer<AudioRecorderController> self(this);
    m_updateCancellable = m_recorder->didUpdatePublisher().receiveOnMain().sink([self](double level) {
        if (self) {
            self->updateStatusButtonTitle(level);
        }
    });
}

void AudioRecorderController::updateStatusButtonTitle(double level)
{
    if (!m_statusBarButton) {
        return;
    }
    // Ten ticks a second mostly repeat the last look; only a change is drawn again. The title is
    // kept whether or not it shows beside the image: the tooltip reads it on every panel.
    const AudioFileRecorder *fileRecorder = m_recorder->recorder();
    const double seconds = fileRecorder ? fileRecorder->currentTime() : 0;
    const AttributedString title = StatusButtonStyle::elapsedTimeTitle(seconds, backingScaleFactor());
    if (title.string() != m_statusBarButton->title() || !m_shownLook.titled) {
        m_statusBarButton->setAttributedTitle(std::make_shared<AttributedButtonTitle>(title));
    }
    // Asked on every tick: the panel may change under a running recording.
    const bool showDuration = showsDurationBesideButton();
    m_statusBarButton->setImagePosition(showDuration ? StatusBarButton::ImagePosition::imageRight
                                                     : StatusBarButton::ImagePosition::imageOnly);
    // The level moves the tint only while recording: the pause's last tick still carries the
    // level heard before it, and would turn the paused yellow red.
    const bool paused = m_recorder->isPaused();
    const QColor tint = StatusButtonStyle::recordingTint(paused, paused ? 0 : level);
    const QIcon base = m_settings->menuBarIconImage();
    const ShownLook look { tint.rgba(), base.cacheKey(), showDuration, true };
    if (look == m_shownLook) {
        return;
    }
    m_shownLook = look;
    QIcon image = StatusButtonStyle::tinted(base, tint);
    if (showDuration) {
        image = StatusButtonStyle::paddedLeft(image, titleGap);
    }
    m_statusBarButton->setImage(image);
}

void AudioRecorderController::resetStatusButton(const AudioRecorder::End &end)
{
    if (m_recorder->state() == AudioRecorder::State::stopped) {
        m_shownLook = {};
    }
    if (m_statusBarButton && m_recorder->state() == AudioRecorder::State::stopped) {
        if (m_settings->dimMenuBarIconWhenNotRecording()) {
            m_statusBarButton->setAppearsDisabled(true);
        }
        m_statusBarButton->setTitle(QString());
        m_statusBarButton->setImagePosition(StatusBarButton::ImagePosition::imageOnly);
        m_statusBarButton->setImage(m_settings->menuBarIconImage());
    }
    if (end.failure) {
        m_stopModifiers.remove(end.url);
        // A start the sound server refused leaves an empty file: nothing to recover there.
        const QFileInfo file(end.url.toLocalFile());
        if (file.exists() && file.size() == 0 && QFile::remove(file.filePath())) {
            QDir().rmdir(file.absolutePath());
        }
        // A recording the user stopped did not stop unexpectedly: only its end failed.
        presentAsModal(notSavedError(
            end.afterStop ? RecordingTexts::recordingNotFinished() : RecordingTexts::recordingStopped(),
            end.failure->localizedDescription(), *end.failure, end.url));
        return;
    }
    if (end.seconds > 0) {
        handleRecordingStopped(end.url);
        return;
    }
    saveUnlessEmpty(end.url, beginSave());
}

QCoro::Task<> AudioRecorderController::saveUnlessEmpty(QUrl recording, [[maybe_unused]] SaveToken token)
{
    QPointer<AudioRecorderController> self(this);
    const QString path = recording.toLocalFile();
    // The file is read back off the GUI thread: that can take seconds.
    const auto read = [path] { return holdsNoAudio(path); };
    auto reading = Events::onWorkerThread(read);
    const bool empty = co_await reading;
    if (!self) {
        co_return;
    }
    if (!empty) {
        qCWarning(recordingLog) << "No audio was counted into the recording, yet its file holds audio; saved"
                                << path;
        handleRecordingStopped(recording);
        co_return;
    }
    // Stopped before any audio came in: a file without audio plays nowhere, so there is nothing
    // to save or to recover.
    m_stopModifiers.remove(recording);
    const QFileInfo file(path);
    QFile::remove(file.filePath());
    QDir().rmdir(file.absolutePath());
    qCInfo(recordingLog) << "The recording holds no audio and is not saved; removed" << file.absolutePath();
}

bool AudioRecorderController::isOnlyOptionHeld(Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers relevant
        = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return relevant == Qt::AltModifier;
}

void AudioRecorderController::handleRecordingStopped(std::optional<QUrl> source)
{
    ASSERT_MAIN_THREAD();
    if (!source) {
        source = m_recorder->url();
    }
    if (!source) {
        return;
    }
    // A recording that ended without a stop (a newer one replaced it) goes by the keys held now.
    const Qt::KeyboardModifiers modifiers
        = m_stopModifiers.contains(*source) ? m_stopModifiers.take(*source) : m_modifierQuery();
    if (isOnlyOptionHeld(modifiers)) {
        showSavePanel(source);
        return;
    }
    const std::optional<QUrl> directory = outputDirectory();
    if (!directory) {
        showSavePanel(source);
        return;
    }
    finishRecording(
        QUrl::fromLocalFile(QDir(directory->toLocalFile()).filePath(fileName(*source))), true, source);
}

std::unique_ptr<QFileDialog> AudioRecorderController::makeSavePanel(
    const QUrl &recording, const QString &directory)
{
    return std::make_unique<RecordingSavePanel>(recording, directory);
}

void AudioRecorderController::showSavePanel(std::optional<QUrl> source)
{
    if (!source) {
        source = m_recorder->url();
    }
    if (!source) {
        return;
    }
    // A second panel would open exactly over the first and hide it: the first comes forward instead.
    if (m_openSavePanel) {
        if (!m_waitingForSavePanel.contains(*source)) {
            qCInfo(recordingLog) << "The recording waits for the open save panel:" << source->toLocalFile();
            m_waitingForSavePanel.append(*source);
        }
        KwApp::activate();
        return;
    }
    runSavePanel(*source);
    while (!m_waitingForSavePanel.isEmpty()) {
        const QUrl next = m_waitingForSavePanel.takeFirst();
        if (m_isEnding) {
            // Nobody is there to answer it.
            saveWithoutAsking(next);
        } else {
            runSavePanel(next);
        }
    }
}

void AudioRecorderController::runSavePanel(const QUrl &source)
{
    KwApp::activate();
    // The folder recordings go to, else home: never wherever the program happened to be started.
    const std::unique_ptr<QFileDialog> panel = makeSavePanel(source, panelDirectory(outputDirectory()));
    m_openSavePanel = panel.get();
    const int answer = m_savePanelRunner(*panel);
    m_openSavePanel.clear();
    if (answer != QDialog::Accepted || panel->selectedUrls().isEmpty()) {
        return;
    }
    const QUrl destination = panel->selectedUrls().constFirst();
    // The recording picked for saving, even if another one starts before the copy runs.
    QTimer::singleShot(0, this, [this, destination, source, token = beginSave()] {
        saveRecording(source, destination, false, token);
    });
}

void AudioRecorderController::saveWithoutAsking(const QUrl &source)
{
    const std::optional<QUrl> directory = outputDirectory();
    if (!directory) {
        qCInfo(recordingLog) << "The recording stays for recovery:" << source.toLocalFile();
        return;
    }
    finishRecording(
        QUrl::fromLocalFile(QDir(directory->toLocalFile()).filePath(fileName(source))), true, source);
}

bool AudioRecorderController::showsDurationBesideButton() const
{
    return m_settings->showDurationInMenuBar() && (!m_showsTitle || m_showsTitle());
}

QString AudioRecorderController::creatorText()
{
    return KwApp::name() + u' ' + KwApp::version();
}

void AudioRecorderController::finishRecording(
    const QUrl &destination, bool uniquify, std::optional<QUrl> source)
{
    ASSERT_MAIN_THREAD();
    if (!source) {
        source = m_recorder->url();
    }
    if (source) {
        saveRecording(*source, destination, uniquify, beginSave());
    }
}

bool AudioRecorderController::dismissSavePanel()
{
    if (!m_openSavePanel) {
        return false;
    }
    m_openSavePanel->reject();
    return true;
}

AudioRecorderController::SaveToken AudioRecorderController::beginSave()
{
    ++m_savesInProgress;
    return SaveToken(nullptr, [self = QPointer<AudioRecorderController>(this)](void *) {
        if (self) {
            --self->m_savesInProgress;
        }
    });
}

std::optional<QUrl> AudioRecorderController::outputDirectory() const
{
    // Bookmarked directories need no access grant here: nothing confines the program.
    const std::optional<SandboxURLBookmark> bookmark = m_settings->defaultOutputDirectory();
    const std::optional<QUrl> directory = bookmark ? bookmark->resolvedURL() : std::nullopt;
    // Chosen before such folders were refused: what is kept there is removed, so it is not used.
    if (directory && UniqueTemporaryDirectories::isInside(directory->toLocalFile())) {
        qCWarning(recordingLog) << "The output folder is one of the program's temporary folders; not used:"
                                << directory->toLocalFile();
        return std::nullopt;
    }
    return directory;
}

void AudioRecorderController::removeInterruptedSaves()
{
    const std::optional<QUrl> directory = outputDirectory();
    if (!directory) {
        return;
    }
    const QDir folder(directory->toLocalFile());
    for (const QString &name : removePartialItemsIn(folder.path())) {
        qCInfo(recordingLog) << "Removed what an interrupted save left:" << folder.filePath(name);
    }
}

QCoro::Task<> AudioRecorderController::saveRecording(
    QUrl source, QUrl destination, bool uniquify, SaveToken token)
{
    QPointer<AudioRecorderController> self(this);
    const quint64 order = ++m_saveCount;
    QUrl saved = destination;
    std::optional<ErrorPtr> copyFailure;
    try {
        // A long lossless recording onto a slow disk takes minutes; the tray must not freeze.
        const auto copy = [source, destination, uniquify] {
            if (uniquify) {
                return copyOrMoveItemUniquely(source, destination, false);
            }
            copyItem(source, destination, true);
            return destination;
        };
        // Named, not a temporary of the co_await expression, which the compiler destroys twice.
        auto copying = Events::onWorkerThread(copy);
        saved = co_await copying;
    } catch (const Error &error) {
        copyFailure = error.clone();
    }
    if (!self) {
        co_return;
    }
    // Copies end in any order; only the save begun last decides what the previous recording is.
    const bool newest = order > m_newestCopyEnded;
    if (newest) {
        m_newestCopyEnded = order;
        m_latestSaved = copyFailure ? QUrl() : saved;
    }
    if (copyFailure) {
        // The copy says what kept the recording out of the folder; a folder gone is said plainly.
        (void)reported(*copyFailure);
        const QString folder = QFileInfo(destination.toLocalFile()).path();
        const QString reason = QFileInfo::exists(folder) ? (*copyFailure)->localizedDescription()
                                                         : RecordingTexts::folderGone();
        // The report names the error's kind; the log says in words where the recording is and why.
        qCWarning(recordingLog).noquote()
            << QStringLiteral("The recording \u201c%1\u201d was not saved in \u201c%2\u201d: %3")
                   .arg(source.toLocalFile(), folder, reason);
        presentAsModal(notSavedError(RecordingTexts::notSavedIn(folder), reason, **copyFailure, source));
        m_revealer({ source });
        // The latest recording is not where the previous one would point: an older recording is
        // not offered in its place.
        if (newest) {
            m_settings->removePreviousRecording();
        }
        emit saveFailed(source);
        co_return;
    }

    // Only a file recorder still writing this very file may drop it; one that has begun a newer
    // recording since is left alone.
    if (AudioFileRecorder *fileRecorder = m_recorder->recorder();
        fileRecorder && QUrl::fromLocalFile(fileRecorder->location()) == source) {
        fileRecorder->deleteRecording();
    }

    if (m_settings->showInFinderAfterSaving()) {
        m_revealer({ saved });
    }
    if (m_settings->copyRecordingWhenDone()) {
        PasteboardItem item;
        item.setUrl(saved);
        Pasteboard::write(std::move(item));
    }
    try {
        ExtendedAttributes::setMetadataString(QString::fromLatin1(creatorKey), creatorText(), saved);
    } catch (...) {
        // A file system without extended attributes keeps the recording without the attribute.
    }
    emit recordingSaved(saved);
    exportMetadata(saved, std::move(token));
    if (!m_isEnding) {
        KwApp::requestReview(reviewCounts);
    }
}

QCoro::Task<> AudioRecorderController::exportMetadata(QUrl location, [[maybe_unused]] SaveToken token)
{
    QPointer<AudioRecorderController> self(this);
    try {
        QCoro::Task<> rewrite = exportWithMetadata(location);
        co_await rewrite;
    } catch (...) {
        // The saved file stays as copied; a missing software tag is not worth troubling the user.
    }
    if (!self) {
        co_return;
    }
    // Only now: the rewrite replaces the file, and a bookmark of the copy would point at a file
    // that is gone. A longer recording's rewrite may end after a later recording's.
    if (location != m_latestSaved) {
        emit metadataExportFinished(location);
        co_return;
    }
    try {
        m_settings->setPreviousRecording(SandboxURLBookmark::fromURL(location));
    } catch (const Error &error) {
        reportAndShow(error);
    }
    emit metadataExportFinished(location);
}
