#include "AudioDoubles.h"
#include "CaughtErrors.h"
#include "EventLoop.h"
#include "FakeRecordingSettings.h"
#include "FakeSoundPlayer.h"
#include "FileContents.h"
#include "ScopedEnv.h"
#include "TaskRunner.h"

#include "recording/AudioRecorder.h"
#include "recording/AudioRecorderController.h"
#include "recording/InputAvailability.h"
#include "recording/InputMonitor.h"
#include "recording/RecordingSavePanel.h"
#include "recording/RecordingSettings.h"
#include "recording/RecordingTexts.h"

#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/files/BookmarkData.h"
#include "kit/foundation/files/ExtendedAttributes.h"
#include "kit/foundation/files/FileOperations.h"
#include "kit/foundation/files/PropertyList.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "kit/ui/Pasteboard.h"
#include "platform/audio/FourCharCode.h"
#include "platform/desktop/StatusBarButton.h"
#include "platform/events/CurrentValueSubject.h"
#include "platform/userdefaults/UserDefaults.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMimeData>
#include <QPixmap>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>
#include <QtEndian>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <functional>
#include <numbers>
#include <set>
#include <string_view>
#include <thread>

#include <fcntl.h>
#include <stdio.h>

namespace {

using namespace std::chrono_literals;
using AudioDoubles::namedInput;
using TestSupport::readFile;
using TestSupport::writeFile;
using State = AudioRecorder::State;

// A 16-bit mono WAV file of a 440 Hz tone at 48 kHz.
QByteArray wavFile(double seconds)
{
    const auto frames = static_cast<quint32>(seconds * 48000);
    QByteArray bytes;
    const auto add = [&bytes](auto value) {
        const auto little = qToLittleEndian(value);
        bytes.append(reinterpret_cast<const char *>(&little), sizeof little);
    };
    bytes += "RIFF";
    add(quint32(36 + 2 * frames));
    bytes += "WAVEfmt ";
    add(quint32(16));
    add(quint16(1));
    add(quint16(1));
    add(quint32(48000));
    add(quint32(48000 * 2));
    add(quint16(2));
    add(quint16(16));
    bytes += "data";
    add(quint32(2 * frames));
    for (quint32 frame = 0; frame < frames; ++frame) {
        add(qint16(8000 * std::sin(2 * std::numbers::pi * 440 * frame / 48000)));
    }
    return bytes;
}

class AudioRecorderControllerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir home;
        qputenv("TMPDIR", (home.path() + "/tmp").toLocal8Bit());
        QDir().mkpath(home.path() + "/tmp");
        FoundationHooks::setAppName(QStringLiteral("Tapewick"));
        FoundationHooks::setAppIdentifier(QStringLiteral("org.tapewick.Tapewick"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.2"));
    }

    void SetUp() override
    {
        // Counters kept in the standard database must start afresh in every test and repetition.
        UserDefaults::standard()->removeAll();
        doubles.hardware.deviceList = { namedInput(1, "mono", "Mono Mic", TransportCode::usb, 1),
            namedInput(2, "stereo", "Stereo Interface", TransportCode::usb, 2) };
        doubles.hardware.defaultInput = 2;
        controller.setStatusBarButton(&button);
        controller.setRevealer([this](const QList<QUrl> &files) { revealed.append(files); });
        controller.setModifierQuery([this] { return modifiers; });
        controller.setSavePanelRunner([this](QFileDialog &panel) {
            ++panelsShown;
            panelFilters = panel.nameFilters();
            panelDirectory = panel.directory().absolutePath();
            if (!panelChoice) {
                return int(QDialog::Rejected);
            }
            panel.selectFile(*panelChoice);
            return int(QDialog::Accepted);
        });
        ASSERT_TRUE(output.isValid());
    }

    // Starts a recording and lets the start sound end.
    void startRecording()
    {
        controller.start();
        sounds.completeAll();
        ASSERT_EQ(controller.recorder().state(), State::recording);
    }

    QString recordingPath() const { return controller.recorder().url()->toLocalFile(); }

    // Writes the recording's file as the recorder would, and answers its file recorder.
    std::shared_ptr<FakeRecording> recordInto(const QByteArray &content)
    {
        startRecording();
        writeFile(recordingPath(), content);
        // Audio came in with the content.
        doubles.recorders.recordings.back()->currentTime = content.isEmpty() ? 0 : 1;
        doubles.recorders.recordings.back()->writtenTime = content.isEmpty() ? 0 : 1;
        return doubles.recorders.recordings.back();
    }

    // Records, stops, lets the file recorder end and waits until the recording is saved and
    // rewritten, shown as failed, or left after a cancelled panel.
    void recordAndStop(const QByteArray &content = "recorded audio")
    {
        const std::shared_ptr<FakeRecording> fileRecorder = recordInto(content);
        const int panelsBefore = panelsShown;
        const std::size_t exportsBefore = doubles.exporter.requests.size();
        QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
        QSignalSpy rewritten(&controller, &AudioRecorderController::metadataExportFinished);
        controller.stopRecording();
        sounds.completeAll();
        fileRecorder->finish(true);
        ASSERT_TRUE(TestSupport::processEventsUntil([&] {
            return !saved.isEmpty() || !doubles.presented->empty()
                || (panelsShown > panelsBefore && !panelChoice);
        }));
        if (!saved.isEmpty()) {
            ASSERT_TRUE(TestSupport::processEventsUntil(
                [&] { return doubles.exporter.requests.size() > exportsBefore; }));
            rewrite(exportsBefore);
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !rewritten.isEmpty(); }));
        }
        TestSupport::processEventsFor(10ms);
    }

    // Ends a metadata rewrite as the exporter does: a new file beside the saved one, which then
    // replaces it.
    void rewrite(std::size_t request)
    {
        const FakeExporter::Request &made = doubles.exporter.requests.at(request);
        ASSERT_TRUE(QFile::copy(made.source, made.destination));
        made.completion({});
    }

    void useOutputDirectory(const QString &path)
    {
        settings->outputDirectory = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(path));
    }

    std::optional<QUrl> previousLocation() const
    {
        return settings->previous ? settings->previous->resolvedURL() : std::nullopt;
    }

    AudioDoubles::Installation doubles;
    std::shared_ptr<FakeRecordingSettings> settings = std::make_shared<FakeRecordingSettings>();
    FakeSoundPlayer sounds; // holds each sound until the test lets it end
    AudioRecorderController controller { settings, &sounds };
    StatusBarButton button;
    QList<QUrl> revealed;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    int panelsShown = 0;
    QStringList panelFilters;
    QString panelDirectory;
    std::optional<QString> panelChoice;
    QTemporaryDir output;
};

TEST_F(AudioRecorderControllerTest, RecordingStartsOnlyAfterTheStartSoundAndClosesTheSettingsWindow)
{
    QWidget settingsWindow;
    settingsWindow.setObjectName(QStringLiteral("settingsWindow"));
    settingsWindow.show();
    controller.start();
    EXPECT_EQ(sounds.played, std::vector<quint32> { SystemSoundId::beginRecording });
    EXPECT_TRUE(doubles.recorders.recordings.empty());
    sounds.completeAll();
    EXPECT_EQ(controller.recorder().state(), State::recording);
    EXPECT_FALSE(settingsWindow.isVisible());
    controller.start();
    EXPECT_EQ(sounds.played.size(), 1u) << "starting while recording does nothing";
}

TEST_F(AudioRecorderControllerTest, EachRecordingsFileFollowsTheSettingsInAFolderOfItsOwn)
{
    struct Case
    {
        const char *name;
        bool lossless;
        std::optional<QString> dateTemplate;
        std::set<QString> mono;
        QString nameStart;
        int channels;
    };
    const Case cases[] = {
        { "AAC into M4A by default", false, std::nullopt, {}, "Audio Recording 2", 2 },
        { "lossless into WAV named by the template", true, "yyyy-MM-dd", {},
            QDate::currentDate().toString(Qt::ISODate) + ".wav", 2 },
        { "a device forced to mono", false, std::nullopt, { "stereo" }, "Audio Recording 2", 1 },
    };
    settings->prefix = QStringLiteral("   "); // blank: the default name, unless a template replaces it
    std::set<QString> folders;
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        settings->losslessValue = testCase.lossless;
        settings->dateTemplate = testCase.dateTemplate;
        settings->mono = testCase.mono;
        startRecording();
        const QFileInfo file(recordingPath());
        EXPECT_TRUE(file.fileName().startsWith(testCase.nameStart)) << file.fileName().toStdString();
        EXPECT_EQ(file.suffix(), testCase.lossless ? "wav" : "m4a");
        EXPECT_TRUE(file.dir().exists());
        EXPECT_TRUE(folders.insert(file.absolutePath()).second) << "a fresh folder";
        const FileRecorderSettings made = doubles.recorders.recordings.back()->settings;
        EXPECT_EQ(made.formatId, testCase.lossless ? AudioFormatId::linearPcm : AudioFormatId::aac);
        EXPECT_EQ(made.channels, testCase.channels);
        controller.stopRecording();
        sounds.completeAll();
    }
}

TEST_F(AudioRecorderControllerTest, InputAlreadyMonitoredFromTheMenuIsNotMonitoredTwice)
{
    settings->monitor.send(true);
    TestSupport::processEventsFor(20ms);
    controller.setManualInputMonitor(std::make_unique<InputMonitor>());
    startRecording();
    EXPECT_FALSE(controller.recorder().shouldMonitorInputWhileRecording());
    EXPECT_EQ(controller.recorder().inputMonitor(), nullptr);

    controller.setManualInputMonitor(nullptr);
    controller.stopRecording();
    startRecording();
    EXPECT_TRUE(controller.recorder().shouldMonitorInputWhileRecording());
    EXPECT_NE(controller.recorder().inputMonitor(), nullptr);
    settings->monitor.send(false);
    TestSupport::processEventsFor(20ms);
    EXPECT_EQ(controller.recorder().inputMonitor(), nullptr) << "switching the setting off ends monitoring";
}

TEST_F(AudioRecorderControllerTest, AFailedStartIsReportedAndShownAfterTheSoundAndLeavesNoEmptyFolder)
{
    doubles.recorders.recordResult = false;
    button.setAppearsDisabled(true);
    controller.start();
    EXPECT_TRUE(doubles.presented->empty());
    sounds.completeAll();
    TestSupport::processEventsFor(20ms);
    EXPECT_EQ(doubles.presented->size(), 1u);
    EXPECT_EQ(doubles.reports->size(), 1u);
    EXPECT_TRUE(button.appearsDisabled()) << "the button keeps its look";
    ASSERT_EQ(doubles.recorders.recordings.size(), 1u);
    const QFileInfo file(doubles.recorders.recordings.front()->location);
    EXPECT_FALSE(file.dir().exists()) << file.absolutePath().toStdString();
}

// A start that finds nothing to record from says why in the words every other place uses, with
// advice the user can follow, whatever the sound server said; a paused recording stays as it was.
TEST_F(AudioRecorderControllerTest, AStartWithoutAnInputSaysTheOneReasonAndItsAdvice)
{
    const AudioError refused = FakeAudioHardware::serverNotRunning();
    AudioError monitorDefault = FakeAudioHardware::monitorAsDefaultInput();
    monitorDefault.deviceGone = true;
    const struct
    {
        const char *name;
        std::vector<HardwareDevice> devices;
        std::optional<AudioError> listError;
        std::optional<AudioError> defaultInputError;
        QString description;
        QString suggestion;
    } cases[] = {
        { "the sound server not running", {}, refused, refused, RecordingTexts::soundServerNotRunning(),
            RecordingTexts::soundServerNotRunningSuggestion() },
        { "only an output's monitor as the default input",
            { AudioDoubles::namedOutput(3, "speakers", "Speakers", TransportCode::builtIn, 2) }, std::nullopt,
            monitorDefault, RecordingTexts::noInputDevices(), RecordingTexts::noInputDevicesSuggestion() },
        { "no device at all", {}, std::nullopt, std::nullopt, RecordingTexts::noInputDevices(),
            RecordingTexts::noInputDevicesSuggestion() },
    };
    for (const auto &c : cases) {
        for (const bool paused : { false, true }) {
            SCOPED_TRACE(testing::Message() << c.name << (paused ? ", over a paused recording" : ""));
            SetUp();
            const std::size_t recordings = doubles.recorders.recordings.size();
            if (paused) {
                startRecording();
                controller.recorder().pause();
            }
            doubles.hardware.deviceList = c.devices;
            doubles.hardware.listError = c.listError;
            doubles.hardware.defaultInput.reset();
            doubles.hardware.defaultInputError = c.defaultInputError;
            doubles.presented->clear();

            const std::optional<InputAvailability::Reason> reason = InputAvailability::check();
            ASSERT_TRUE(reason);
            EXPECT_EQ(InputAvailability::text(*reason), c.description + u' ' + c.suggestion);
            // As the record shortcut starts one, or the bus over a paused one.
            if (paused) {
                controller.start();
            } else {
                controller.toggleRecording();
            }
            sounds.completeAll();
            TestSupport::processEventsFor(10ms);
            ASSERT_EQ(doubles.presented->size(), 1u) << doubles.presentedTexts().join(u'|').toStdString();
            EXPECT_EQ(doubles.presented->front()->localizedDescription(), c.description);
            EXPECT_EQ(doubles.presented->front()->recoverySuggestion(), std::optional(c.suggestion));
            EXPECT_TRUE(doubles.reports->empty()) << "no fault of the program's";
            EXPECT_EQ(doubles.recorders.recordings.size(), recordings + (paused ? 1 : 0));
            EXPECT_EQ(controller.recorder().state(), paused ? State::paused : State::stopped);
            // Started directly, the recorder refuses for the same reason.
            try {
                controller.startRecording();
                ADD_FAILURE() << "a start without an input must fail";
            } catch (const Error &error) {
                EXPECT_EQ(error.localizedDescription(), c.description);
                EXPECT_EQ(error.recoverySuggestion(), std::optional(c.suggestion));
            }
            doubles.hardware.listError.reset();
            doubles.hardware.defaultInputError.reset();
            controller.stopRecording();
            sounds.completeAll();
            doubles.presented->clear();
            doubles.reports->clear();
        }
    }
}

// The elapsed time goes beside the image only when asked for and the panel shows titles there; the
// tooltip carries it on every panel, asked for or not.
TEST_F(AudioRecorderControllerTest, TintedWhileRecordingWithTheElapsedTimeWhenAskedFor)
{
    for (const auto &[showDuration, panelShowsTitle] :
        { std::pair(false, true), std::pair(true, true), std::pair(true, false), std::pair(false, false) }) {
        SCOPED_TRACE(
            testing::Message() << "asked for " << showDuration << ", titles shown " << panelShowsTitle);
        settings->showDuration = showDuration;
        controller.setStatusBarButton(&button, [&] { return panelShowsTitle; });
        const bool beside = showDuration && panelShowsTitle;
        button.setAccessibilityTitle(QStringLiteral("Tapewick"));
        button.setAppearsDisabled(true);
        startRecording();
        EXPECT_FALSE(button.appearsDisabled());
        const auto position
            = beside ? StatusBarButton::ImagePosition::imageRight : StatusBarButton::ImagePosition::imageOnly;
        EXPECT_EQ(button.imagePosition(), position);
        TestSupport::processEventsFor(250ms);
        EXPECT_EQ(button.title(), QStringLiteral("00:00"));
        EXPECT_EQ(button.toolTip(), QStringLiteral("Tapewick\n00:00"));
        EXPECT_EQ(button.imagePosition(), position);
        EXPECT_FALSE(button.image().isMask()) << "tinted while recording";
        // Ticks that change nothing draw nothing; a new second or level does.
        QSignalSpy changes(&button, &StatusBarButton::changed);
        TestSupport::processEventsFor(350ms);
        EXPECT_EQ(changes.count(), 0) << "the same time and level redrew the button";
        doubles.recorders.recordings.back()->currentTime = 1.2;
        ASSERT_TRUE(
            TestSupport::processEventsUntil([&] { return button.title() == QStringLiteral("00:01"); }));
        EXPECT_EQ(changes.count(), 1) << "only the title changed";
        doubles.recorders.recordings.back()->power = -20;
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return changes.count() == 2; }));
        controller.stopRecording();
        sounds.completeAll();
        doubles.recorders.recordings.back()->finish(true);
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return button.title().isEmpty(); }));
        EXPECT_EQ(button.imagePosition(), StatusBarButton::ImagePosition::imageOnly);
    }
}

// A loud input moves the red towards a brighter, redder tone; a paused recording is yellow
// whatever was heard last, also after the pause's own last tick.
TEST_F(AudioRecorderControllerTest, TheTintFollowsTheLevelOnlyWhileRecording)
{
    const auto shownTint = [&] { return QColor(button.image().pixmap(QSize(14, 14)).toImage().pixel(7, 7)); };
    const struct
    {
        double power;
        bool pause;
        QColor expected;
    } cases[] = {
        { -160, false, QColor(204, 47, 38) }, // red, darkened to 80 %
        { 0, false, QColor(255, 69, 69) },
        { 0, true, QColor(204, 163, 0) }, // yellow, darkened to 80 %
        { -160, true, QColor(204, 163, 0) },
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(testing::Message() << test.power << (test.pause ? " paused" : ""));
        startRecording();
        doubles.recorders.recordings.back()->power = test.power;
        if (test.pause) {
            QCoro::Task<> pausing = controller.togglePauseAsync();
            sounds.completeAll();
            ASSERT_EQ(controller.recorder().state(), State::paused);
        }
        TestSupport::processEventsFor(250ms);
        const QColor shown = shownTint();
        EXPECT_NEAR(shown.red(), test.expected.red(), 2) << shown.name().toStdString();
        EXPECT_NEAR(shown.green(), test.expected.green(), 2) << shown.name().toStdString();
        EXPECT_NEAR(shown.blue(), test.expected.blue(), 2) << shown.name().toStdString();
        controller.stopRecording();
        sounds.completeAll();
    }
}

TEST_F(AudioRecorderControllerTest, PauseAndStopAtOnceResumeAfterTheStartSound)
{
    // Pausing while stopped only plays the end sound.
    EXPECT_FALSE(TaskRunner::runToEnd([&]() -> QCoro::Task<> {
        QCoro::Task<> toggle = controller.togglePauseAsync();
        sounds.completeAll();
        co_await toggle;
    }()));
    EXPECT_EQ(sounds.played, std::vector<quint32> { SystemSoundId::endRecording });
    EXPECT_EQ(controller.recorder().state(), State::stopped);
    EXPECT_TRUE(doubles.recorders.recordings.empty());

    startRecording();
    sounds.played.clear();
    QCoro::Task<> pausing = controller.togglePauseAsync();
    EXPECT_EQ(controller.recorder().state(), State::paused) << "paused before the sound";
    sounds.completeAll();
    QCoro::Task<> resuming = controller.togglePauseAsync();
    EXPECT_EQ(controller.recorder().state(), State::paused) << "resumed only after the sound";
    sounds.completeAll();
    EXPECT_EQ(controller.recorder().state(), State::recording);
    EXPECT_EQ(
        sounds.played, (std::vector<quint32> { SystemSoundId::endRecording, SystemSoundId::beginRecording }));
    controller.stopRecording();
    EXPECT_EQ(controller.recorder().state(), State::stopped);
    EXPECT_EQ(sounds.played.back(), SystemSoundId::endRecording);
    controller.stopRecording();
    EXPECT_EQ(sounds.played.size(), 4u) << "stopping while stopped still plays the sound";
}

TEST_F(AudioRecorderControllerTest, SavedIntoTheDefaultDirectory)
{
    settings->dim = true;
    useOutputDirectory(output.path());
    recordAndStop("take one");
    const QString name = QFileInfo(recordingPath()).fileName();
    const QString saved = QDir(output.path()).filePath(name);
    EXPECT_EQ(readFile(saved), "take one");
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !doubles.exporter.requests.empty(); }));
    EXPECT_EQ(doubles.exporter.requests.front().source, saved)
        << "the saved file is rewritten, not the temporary one";
    EXPECT_EQ(doubles.exporter.requests.front().software, QStringLiteral("Tapewick"));
    EXPECT_TRUE(QFile::exists(recordingPath())) << "the temporary file stays for recovery";
    const QByteArray creator = ExtendedAttributes(QUrl::fromLocalFile(saved))
                                   .get(QStringLiteral("com.apple.metadata:kMDItemCreator"));
    EXPECT_TRUE(creator.startsWith("bplist00"));
    EXPECT_EQ(PropertyList::decode(creator), QVariant(QStringLiteral("Tapewick 1.2")));
    EXPECT_EQ(previousLocation(), QUrl::fromLocalFile(saved));
    EXPECT_EQ(revealed, QList<QUrl> { QUrl::fromLocalFile(saved) });
    EXPECT_EQ(panelsShown, 0);
    EXPECT_EQ(UserDefaults::standard()->object("Kw_requestReviewCount"), PropertyValue(std::int64_t(1)));

    EXPECT_TRUE(button.appearsDisabled());
    EXPECT_EQ(button.title(), QString());
    EXPECT_EQ(button.imagePosition(), StatusBarButton::ImagePosition::imageOnly);
    EXPECT_EQ(button.image().cacheKey(), settings->icon.cacheKey());
}

// Once the program ends, no trigger starts a recording, not even one already waiting for its
// sound; a recording stopped just before is still saved, but asks for no review.
TEST_F(AudioRecorderControllerTest, OnceTheProgramEndsNothingStartsAndASaveAsksNoReview)
{
    useOutputDirectory(output.path());
    const std::shared_ptr<FakeRecording> fileRecorder = recordInto("last words");
    const QString name = QFileInfo(recordingPath()).fileName();
    controller.stopRecording();
    controller.start();
    ASSERT_EQ(sounds.played.back(), SystemSoundId::beginRecording) << "a start waits for its sound";

    controller.beginEnding();
    EXPECT_TRUE(controller.isEnding());
    controller.start();
    controller.toggleRecording();
    sounds.completeAll();
    EXPECT_EQ(controller.recorder().state(), State::stopped);
    EXPECT_EQ(doubles.recorders.recordings.size(), 1u);
    EXPECT_EQ(std::ranges::count(sounds.played, SystemSoundId::beginRecording), 2) << "one for each start";

    QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
    fileRecorder->finish(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !saved.isEmpty(); }));
    EXPECT_EQ(readFile(QDir(output.path()).filePath(name)), "last words");
    // Absent, or the default once a request has registered it.
    EXPECT_EQ(
        UserDefaults::standard()->object("Kw_requestReviewCount").value_or(PropertyValue(std::int64_t(0))),
        PropertyValue(std::int64_t(0)));
}

TEST_F(AudioRecorderControllerTest, OnlyTheLatestSavedRecordingIsRememberedAndOnlyOnceRewritten)
{
    useOutputDirectory(output.path());
    QSignalSpy rewritten(&controller, &AudioRecorderController::metadataExportFinished);
    QStringList paths;
    for (const QString &take : { QStringLiteral("First"), QStringLiteral("Second") }) {
        settings->dateTemplate = u'\'' + take + u'\'';
        const std::shared_ptr<FakeRecording> fileRecorder = recordInto(take.toUtf8());
        controller.stopRecording();
        sounds.completeAll();
        fileRecorder->finish(true);
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return doubles.exporter.requests.size() == std::size_t(paths.size() + 1); }));
        paths << doubles.exporter.requests.back().source;
    }
    EXPECT_FALSE(settings->previous) << "the copy that the rewrite replaces is not remembered";

    // The second, shorter recording's rewrite ends first; the first's ending later changes nothing.
    rewrite(1);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return rewritten.count() == 1; }));
    rewrite(0);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return rewritten.count() == 2; }));
    ASSERT_TRUE(settings->previous);
    const std::optional<BookmarkData::Resolution> previous
        = BookmarkData::resolve(settings->previous->bookmarkData());
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->url, QUrl::fromLocalFile(paths.at(1)));
    EXPECT_FALSE(previous->isStale) << "the bookmark is of the rewritten file";
    EXPECT_EQ(readFile(paths.at(1)), "Second");
}

TEST_F(AudioRecorderControllerTest, SameNameGetsANumberAndEverythingReferToTheNewFile)
{
    settings->copyWhenDone = true;
    useOutputDirectory(output.path());
    settings->dateTemplate = QStringLiteral("'Take'");
    const QString older = writeFile(QDir(output.path()).filePath("Take.m4a"), "older");
    recordAndStop("newer");
    const QUrl saved = QUrl::fromLocalFile(QDir(output.path()).filePath("Take (1).m4a"));
    EXPECT_EQ(readFile(older), "older");
    EXPECT_TRUE(QFile::exists(saved.toLocalFile()));
    EXPECT_EQ(previousLocation(), saved);
    EXPECT_EQ(revealed, QList<QUrl> { saved });
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->urls(), QList<QUrl> { saved });
    EXPECT_EQ(data->text(), saved.toLocalFile());
    EXPECT_EQ(data->data(PasteboardType::source), "org.tapewick.Tapewick");
    EXPECT_FALSE(ExtendedAttributes(saved).get("com.apple.metadata:kMDItemCreator").isEmpty());
    EXPECT_THROW(
        ExtendedAttributes(QUrl::fromLocalFile(older)).get("com.apple.metadata:kMDItemCreator"), Error);
}

TEST_F(AudioRecorderControllerTest, OptionAloneOrADefaultFolderInTheTrashAsksWhereToSave)
{
    const QString trashed = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + "/Trash/files/Recordings";
    ASSERT_TRUE(QDir().mkpath(trashed));
    const struct
    {
        const char *name;
        Qt::KeyboardModifiers modifiers;
        QString folder;
        bool asks;
        QString panelIn; // the default folder, else home: never the working directory
    } cases[] = {
        { "Option alone", Qt::AltModifier | Qt::KeypadModifier, output.path(), true,
            QDir(output.path()).absolutePath() },
        { "a default folder in the trash", Qt::NoModifier, trashed, true, QDir::homePath() },
        { "Option with Shift", Qt::AltModifier | Qt::ShiftModifier, output.path(), false, {} },
    };
    settings->showInFinder = false;
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        useOutputDirectory(testCase.folder);
        modifiers = testCase.modifiers;
        const int panelsBefore = panelsShown;
        recordAndStop();
        EXPECT_EQ(panelsShown - panelsBefore, testCase.asks ? 1 : 0);
        if (testCase.asks) {
            EXPECT_EQ(panelDirectory, testCase.panelIn);
        }
        EXPECT_EQ(QDir(testCase.folder).isEmpty(), testCase.asks);
        EXPECT_EQ(settings->previous.has_value(), !testCase.asks) << "a cancelled panel saves nothing";
        EXPECT_TRUE(QFile::exists(recordingPath()));
    }
    EXPECT_TRUE(revealed.isEmpty()) << "a saved recording is shown only when the settings ask";
}

// The keys that decide where a recording goes are those of its stop, a click's when the menu
// gives them: its end comes only once the file is complete, when they may be let go. An ending
// program forgets them, as nobody is there to answer a panel.
TEST_F(AudioRecorderControllerTest, TheKeysOfTheStopDecideWhereTheRecordingGoes)
{
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const struct
    {
        const char *name;
        std::optional<Qt::KeyboardModifiers> ofTheClick;
        Qt::KeyboardModifiers heldAtTheStop;
        Qt::KeyboardModifiers heldAtTheEnd;
        bool ending;
        bool asks;
    } cases[] = {
        { "Option with the click", Qt::AltModifier, none, none, false, true },
        { "Option held at the stop, let go before the end", std::nullopt, Qt::AltModifier, none, false,
            true },
        { "a plain click while Option is held", none, Qt::AltModifier, Qt::AltModifier, false, false },
        { "Option pressed after the stop", std::nullopt, none, Qt::AltModifier, false, false },
        { "Option with the click, then the program ends", Qt::AltModifier, none, none, true, false },
    };
    useOutputDirectory(output.path());
    settings->showInFinder = false;
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const std::shared_ptr<FakeRecording> fileRecorder = recordInto("recorded audio");
        const int panelsBefore = panelsShown;
        QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
        modifiers = testCase.heldAtTheStop;
        controller.toggleRecording(testCase.ofTheClick);
        if (testCase.ending) {
            controller.beginEnding();
        }
        modifiers = testCase.heldAtTheEnd;
        sounds.completeAll();
        fileRecorder->finish(true);
        ASSERT_TRUE(
            TestSupport::processEventsUntil([&] { return !saved.isEmpty() || panelsShown > panelsBefore; }));
        EXPECT_EQ(panelsShown - panelsBefore, testCase.asks ? 1 : 0);
        EXPECT_EQ(saved.isEmpty(), testCase.asks);
    }
}

TEST(AudioRecorderControllerKeysTest, OnlyOptionAloneCounts)
{
    // Option with the keypad flag or with Shift: the save-panel cases.
    EXPECT_TRUE(AudioRecorderController::isOnlyOptionHeld(Qt::AltModifier));
    for (const Qt::KeyboardModifiers other : { Qt::AltModifier | Qt::MetaModifier,
             Qt::KeyboardModifiers(Qt::ControlModifier), Qt::KeyboardModifiers() }) {
        EXPECT_FALSE(AudioRecorderController::isOnlyOptionHeld(other)) << other.toInt();
    }
}

// What the alert of a recording that did not reach its place says: what failed, why, and where it is.
void expectShownAsNotSaved(const ErrorPtr &shown, const QString &description, const QString &reason,
    const std::optional<QString> &kept)
{
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->localizedDescription().toStdString(), description.toStdString());
    EXPECT_EQ(shown->recoverySuggestion().value_or("(none)").toStdString(),
        (kept ? reason + "\n\n" + RecordingTexts::keptAt(*kept) : reason).toStdString());
}

// The naming step of a copy into a full disk.
int refuseWithoutSpace(const char *, const char *)
{
    errno = ENOSPC;
    return -1;
}

// The recording core's warnings while it lives.
class RecordingWarnings
{
public:
    RecordingWarnings() { s_previous = qInstallMessageHandler(&collect); }
    ~RecordingWarnings()
    {
        qInstallMessageHandler(s_previous);
        s_messages.clear();
    }
    QStringList messages() const { return s_messages; }

private:
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg && context.category == QLatin1String("tapewick.recording")) {
            s_messages << message;
        }
    }
    static inline QtMessageHandler s_previous = nullptr;
    static inline QStringList s_messages;
};

TEST_F(AudioRecorderControllerTest, AFailedCopyForgetsThePreviousAndSavingThroughThePanelReplacesAFile)
{
    // A failed copy says what failed and where the recording is (not that a file is missing), reports
    // the copy's own error, and reveals the recording, which stays; an earlier recording is not
    // offered as the previous one in its place.
    const SandboxURLBookmark earlier = SandboxURLBookmark::fromURL(QUrl::fromLocalFile(output.path()));
    // The panel opens in the output folder, so that it takes a path into a missing folder as it is.
    useOutputDirectory(output.path());
    modifiers = Qt::AltModifier;
    const QString missing = QDir(output.path()).filePath("missing folder");
    const QString tooLong = QString(300, u'x') + ".m4a";
    const QString notAFolder = writeFile(QDir(output.path()).filePath("notes.txt"), "notes");
    const struct
    {
        QString choice;
        QString folder;
        QString reason;
    } failures[] = {
        { missing + "/Take.m4a", missing, RecordingTexts::folderGone() },
        { notAFolder + "/Take.m4a", notAFolder,
            QStringLiteral(
                "\u201cTake.m4a\u201d couldn\u2019t be copied because \u201cnotes.txt\u201d is not "
                "a folder.") },
        { "/proc/Take.m4a", "/proc",
            QStringLiteral("\u201cTake.m4a\u201d couldn\u2019t be copied because the folder \u201cproc\u201d "
                           "doesn\u2019t accept new files.") },
        { QDir(output.path()).filePath(tooLong), output.path(),
            QStringLiteral("\u201c%1\u201d couldn\u2019t be copied: File name too long").arg(tooLong) },
        // Told as a full temporary folder is.
        { QDir(output.path()).filePath("Full.m4a"), output.path(),
            QStringLiteral("\u201cFull.m4a\u201d couldn\u2019t be copied: ") + RecordingTexts::diskFull() },
    };
    for (const auto &[choice, folder, reason] : failures) {
        doubles.presented->clear();
        doubles.reports->clear();
        revealed.clear();
        settings->previous = earlier;
        panelChoice = choice;
        std::optional<NoReplaceCalls> system;
        if (choice.endsWith("Full.m4a")) {
            system = setNoReplaceCalls({ refuseWithoutSpace, refuseWithoutSpace });
        }
        const auto restore = qScopeGuard([&system] {
            if (system) {
                setNoReplaceCalls(*system);
            }
        });
        const RecordingWarnings warnings;
        recordAndStop();
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !doubles.presented->empty(); }));
        EXPECT_EQ(doubles.presented->size(), 1u);
        expectShownAsNotSaved(
            doubles.presented->front(), RecordingTexts::notSavedIn(folder), reason, recordingPath());
        ASSERT_EQ(doubles.reports->size(), 1u);
        EXPECT_EQ(doubles.reports->front().error->domain(), CocoaError::errorDomain);
        EXPECT_EQ(revealed, QList<QUrl> { QUrl::fromLocalFile(recordingPath()) });
        EXPECT_FALSE(settings->previous);
        EXPECT_TRUE(QFile::exists(recordingPath()));
        // The log says where the recording is and why, in the words the user is shown.
        EXPECT_EQ(warnings.messages(),
            QStringList { QStringLiteral("The recording \u201c%1\u201d was not saved in \u201c%2\u201d: %3")
                              .arg(recordingPath(), folder, reason) });
    }

    doubles.presented->clear();
    const QString target = writeFile(QDir(output.path()).filePath("Chosen.m4a"), "to be replaced");
    panelChoice = target;
    recordAndStop("fresh take");
    EXPECT_EQ(panelsShown, 6);
    EXPECT_EQ(panelFilters, QStringList { "MPEG-4 audio (*.m4a)" });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return settings->previous.has_value(); }));
    EXPECT_TRUE(readFile(target).startsWith("fresh take"));
    EXPECT_EQ(previousLocation(), QUrl::fromLocalFile(target));
}

// Holds the naming step of a copy whose name holds "Slow" until the test lets it go, and then names
// it or fails with the errno `answer`.
struct HeldNaming
{
    static inline std::atomic<bool> held { false };
    static inline std::atomic<int> answer { 0 };
    static int renameNoReplace(const char *from, const char *to)
    {
        if (std::string_view(to).find("Slow") != std::string_view::npos) {
            while (held) {
                std::this_thread::sleep_for(1ms);
            }
            if (answer != 0) {
                errno = answer;
                return -1;
            }
        }
        return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    }
};

// Copies end in any order: the previous recording is that of the save begun last, or none when
// that one failed; an older save ending later changes nothing.
TEST_F(AudioRecorderControllerTest, ThePreviousRecordingFollowsTheSaveBegunLast)
{
    useOutputDirectory(output.path());
    const std::shared_ptr<void> restore(
        nullptr, [system = setNoReplaceCalls({ &HeldNaming::renameNoReplace, &::link })](void *) {
            HeldNaming::held = false;
            setNoReplaceCalls(system);
        });
    const auto stopAndEnd = [&](const std::shared_ptr<FakeRecording> &fileRecorder) {
        controller.stopRecording();
        sounds.completeAll();
        fileRecorder->finish(true);
    };
    const auto savedAs
        = [&](const char *name) { return QUrl::fromLocalFile(QDir(output.path()).filePath(name)); };
    for (const int olderAnswer : { EIO, 0 }) {
        SCOPED_TRACE(olderAnswer);
        settings->previous.reset();
        doubles.presented->clear();
        QDir(output.path()).removeRecursively();
        QDir().mkpath(output.path());
        HeldNaming::held = true;
        HeldNaming::answer = olderAnswer;
        QSignalSpy rewritten(&controller, &AudioRecorderController::metadataExportFinished);
        const std::size_t exports = doubles.exporter.requests.size();

        settings->dateTemplate = QStringLiteral("'Slow'");
        stopAndEnd(recordInto("slow"));
        ASSERT_TRUE(TestSupport::processEventsUntil([&] {
            return !QDir(output.path())
                        .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)
                        .isEmpty();
        })) << "the older copy is under way";
        settings->dateTemplate = QStringLiteral("'Quick'");
        recordAndStop("quick");
        EXPECT_EQ(previousLocation(), savedAs("Quick.m4a"));

        HeldNaming::held = false;
        if (olderAnswer != 0) {
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !doubles.presented->empty(); }));
        } else {
            ASSERT_TRUE(TestSupport::processEventsUntil(
                [&] { return doubles.exporter.requests.size() == exports + 2; }));
            rewrite(exports + 1);
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return rewritten.count() == 2; }));
            EXPECT_EQ(readFile(savedAs("Slow.m4a").toLocalFile()), "slow");
        }
        EXPECT_EQ(previousLocation(), savedAs("Quick.m4a"));
    }

    // The save begun last fails while an older one's rewrite still runs: that one is not
    // remembered once rewritten either.
    settings->dateTemplate = QStringLiteral("'Earlier'");
    const std::size_t exports = doubles.exporter.requests.size();
    QSignalSpy rewritten(&controller, &AudioRecorderController::metadataExportFinished);
    stopAndEnd(recordInto("earlier"));
    ASSERT_TRUE(
        TestSupport::processEventsUntil([&] { return doubles.exporter.requests.size() == exports + 1; }));
    modifiers = Qt::AltModifier;
    panelChoice = QDir(output.path()).filePath("missing folder/Take.m4a");
    doubles.presented->clear();
    recordAndStop("failing");
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !doubles.presented->empty(); }));
    EXPECT_FALSE(settings->previous);
    rewrite(exports);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return rewritten.count() == 1; }));
    EXPECT_FALSE(settings->previous);
}

TEST(AudioRecorderControllerPanelTest, PanelOffersOnlyTheRecordingsTypeAndItsWholeName)
{
    const struct
    {
        QString recording;
        QStringList filters;
    } cases[] = {
        { "/tmp/x/Take 1.wav", { "WAV audio (*.wav)" } },
        { "/tmp/x/Audio Recording 2026-12-07 at 08.24.16.m4a", { "MPEG-4 audio (*.m4a)" } },
    };
    for (const auto &[recording, filters] : cases) {
        const auto panel = AudioRecorderController::makeSavePanel(QUrl::fromLocalFile(recording), "/tmp");
        EXPECT_EQ(panel->nameFilters(), filters);
        ASSERT_EQ(panel->selectedFiles().size(), 1);
        EXPECT_EQ(QFileInfo(panel->selectedFiles().constFirst()).fileName(), QFileInfo(recording).fileName());
    }
}

TEST(AudioRecorderControllerPanelTest, AChosenNameEndsInTheRecordingsExtension)
{
    const struct
    {
        QString chosen;
        QString extension;
        QString expected;
    } cases[] = {
        { "/a/Take.m4a", "m4a", "/a/Take.m4a" },
        { "/a/Take.M4A", "m4a", "/a/Take.M4A" },
        { "/a/Audio Recording 2026-12-07 at 08.24.16", "m4a",
            "/a/Audio Recording 2026-12-07 at 08.24.16.m4a" },
        { "/a/Take.wav", "m4a", "/a/Take.wav.m4a" },
        { "/a/Take.", "wav", "/a/Take.wav" },
        { "/a.b/Take", "wav", "/a.b/Take.wav" },
        { "Take", "", "Take" },
    };
    for (const auto &[chosen, extension, expected] : cases) {
        EXPECT_EQ(RecordingSavePanel::withExtension(chosen, extension), expected) << chosen.toStdString();
    }
}

// What is kept in the program's temporary folders is removed in time: the panel refuses a place in
// them, says why and stays open. A folder of the user's own beside them is taken.
TEST(AudioRecorderControllerPanelTest, RefusesAPlaceInTheProgramsTemporaryFolders)
{
    QTemporaryDir base(QDir::tempPath() + QStringLiteral("/save-panel-XXXXXX"));
    const TestSupport::ScopedEnv moved("TAPEWICK_TEMPORARY_BASE", base.path());
    CaughtErrors errors;
    const QString own = base.filePath(QStringLiteral("own"));
    for (const QString &folder : { UniqueTemporaryDirectories::parentPath(base.path()) + "/r",
             UniqueTemporaryDirectories::parentPath(base.path(), "copies") + "/c", own }) {
        SCOPED_TRACE(folder.toStdString());
        ASSERT_TRUE(QDir().mkpath(folder));
        RecordingSavePanel panel(QUrl::fromLocalFile(QStringLiteral("/x/Take.m4a")), folder);
        QSignalSpy accepted(&panel, &QDialog::accepted);
        panel.accept();
        TestSupport::processEventsUntil([&] { return !errors.presented->empty(); }, 200ms);
        EXPECT_EQ(accepted.size(), folder == own ? 1 : 0);
        EXPECT_EQ(errors.presentedTexts(),
            folder == own ? QStringList() : QStringList { RecordingTexts::temporaryFolder(folder) });
        errors.presented->clear();
    }
}

// A recording the user stopped did not stop unexpectedly: only its end failed. Either way the place
// it is kept in is named once, and a full disk is told in plain words, not the framework's.
TEST_F(AudioRecorderControllerTest, AFailedEndIsShownAndNotSavedAndOnlyAnEmptyFileIsRemoved)
{
    useOutputDirectory(output.path());
    AudioError diskFull { AudioError::Domain::media, 14, QStringLiteral("No space left on the resource.") };
    diskFull.diskFull = true;
    // How the recorder ends (none: without a reason), and the reason shown.
    const std::pair<std::optional<AudioError>, QString> failures[]
        = { { std::nullopt, QStringLiteral("Recording failed for unknown reason.") },
              { diskFull, RecordingTexts::diskFull() } };
    for (const auto &[failure, reason] : failures) {
        for (const bool stopped : { true, false }) {
            for (const QByteArray &content : { QByteArray(), QByteArray("partial audio") }) {
                SCOPED_TRACE(testing::Message()
                    << reason.toStdString() << ' ' << stopped << ' ' << content.toStdString());
                doubles.presented->clear();
                const std::shared_ptr<FakeRecording> fileRecorder = recordInto(content);
                if (stopped) {
                    controller.stopRecording();
                }
                if (failure) {
                    fileRecorder->failWithEncodeError(*failure);
                } else {
                    fileRecorder->finish(false);
                }
                ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !doubles.presented->empty(); }));
                EXPECT_TRUE(QDir(output.path()).isEmpty());
                EXPECT_EQ(QFileInfo(recordingPath()).dir().exists(), !content.isEmpty());
                // Where what was recorded is kept, when anything is.
                expectShownAsNotSaved(doubles.presented->front(),
                    stopped ? RecordingTexts::recordingNotFinished() : RecordingTexts::recordingStopped(),
                    reason, content.isEmpty() ? std::nullopt : std::optional(recordingPath()));
                EXPECT_EQ(controller.recorder().state(), State::stopped);
                EXPECT_TRUE(doubles.reports->empty());
            }
        }
    }
}

TEST_F(AudioRecorderControllerTest, ARecordingEndingAfterANewerOneStartedIsStillSavedAsItself)
{
    useOutputDirectory(output.path());
    settings->dateTemplate = QStringLiteral("'First'");
    const std::shared_ptr<FakeRecording> first = recordInto("first take");
    const QString firstName = QFileInfo(recordingPath()).fileName();
    controller.stopRecording();
    settings->dateTemplate = QStringLiteral("'Second'");
    const std::shared_ptr<FakeRecording> second = recordInto("second take");
    QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
    first->finish(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return saved.count() == 1; }));
    EXPECT_EQ(controller.recorder().state(), State::recording) << "the newer recording goes on";
    controller.stopRecording();
    second->finish(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return saved.count() == 2; }));

    EXPECT_EQ(readFile(QDir(output.path()).filePath(firstName)), "first take");
    EXPECT_EQ(readFile(QDir(output.path()).filePath(QFileInfo(recordingPath()).fileName())), "second take");
}

// A recording that ends while another one's save panel waits never gets a panel over that one: it
// waits its turn, and is asked about once the open one is answered, either way. Once the program
// ends meanwhile, nobody is there to answer: it goes to the default folder, else stays for recovery.
TEST_F(AudioRecorderControllerTest, OneSavePanelAtATimeAndEveryRecordingIsSavedOrKept)
{
    const struct
    {
        const char *name;
        bool firstAnswered;
        bool endsWhileFirstWaits;
        bool defaultFolder;
    } cases[] = {
        { "both answered in turn", true, false, false },
        { "the first cancelled", false, false, true },
        { "the program ends while the first waits", false, true, true },
        { "the program ends while the first waits, no default folder", false, true, false },
    };
    modifiers = Qt::AltModifier; // asks also where a default folder is set
    settings->showInFinder = false;
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        // Of its own, since an ending is for good.
        AudioRecorderController recorder { settings, &sounds };
        recorder.setModifierQuery([this] { return modifiers; });
        recorder.setRevealer([this](const QList<QUrl> &files) { revealed.append(files); });
        QTemporaryDir chosen;
        QTemporaryDir defaultFolder;
        settings->outputDirectory.reset();
        if (testCase.defaultFolder) {
            useOutputDirectory(defaultFolder.path());
        }
        const auto startInto = [&](const QByteArray &content) {
            settings->dateTemplate = u'\'' + QString::fromUtf8(content) + u'\'';
            recorder.start();
            sounds.completeAll();
            const QString path = recorder.recorder().url()->toLocalFile();
            writeFile(path, content);
            doubles.recorders.recordings.back()->currentTime = 1;
            doubles.recorders.recordings.back()->writtenTime = 1;
            return std::pair(doubles.recorders.recordings.back(), path);
        };
        const auto stop = [&](const std::shared_ptr<FakeRecording> &fileRecorder) {
            recorder.stopRecording();
            sounds.completeAll();
            fileRecorder->finish(true);
        };
        QString second;
        QStringList offered;
        int open = 0;
        int mostOpen = 0;
        recorder.setSavePanelRunner([&](QFileDialog &panel) {
            mostOpen = std::max(mostOpen, ++open);
            const auto closed = qScopeGuard([&] { --open; });
            const QString name = QFileInfo(panel.selectedFiles().value(0)).fileName();
            offered << name;
            if (offered.size() == 1) {
                // Another recording ends while this panel waits, as one started by a shortcut would.
                const auto [fileRecorder, path] = startInto("second take");
                second = path;
                stop(fileRecorder);
                EXPECT_TRUE(TestSupport::processEventsUntil([&] {
                    return recorder.recordingsWaitingForSavePanel() == QList { QUrl::fromLocalFile(path) };
                }));
                EXPECT_TRUE(recorder.isSaving());
                if (testCase.endsWhileFirstWaits) {
                    recorder.beginEnding();
                }
                if (!testCase.firstAnswered) {
                    return int(QDialog::Rejected);
                }
            }
            panel.selectFile(QDir(chosen.path()).filePath(name));
            return int(QDialog::Accepted);
        });
        QSignalSpy saved(&recorder, &AudioRecorderController::recordingSaved);
        const auto [fileRecorder, first] = startInto("first take");
        stop(fileRecorder);
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !offered.isEmpty() && open == 0; }));
        while (recorder.isSaving()) {
            ASSERT_TRUE(TestSupport::processEventsUntil(
                [&] { return doubles.exporter.completeNext({}) || !recorder.isSaving(); }));
        }

        const QString firstName = QFileInfo(first).fileName();
        const QString secondName = QFileInfo(second).fileName();
        EXPECT_EQ(mostOpen, 1) << "a panel opened over another";
        EXPECT_EQ(offered,
            (testCase.endsWhileFirstWaits ? QStringList { firstName }
                                          : QStringList { firstName, secondName }));
        EXPECT_TRUE(recorder.recordingsWaitingForSavePanel().isEmpty());
        const auto savedIn = [](const QTemporaryDir &folder) {
            return QDir(folder.path()).entryList(QDir::Files, QDir::Name);
        };
        QStringList expectedChosen;
        if (testCase.firstAnswered) {
            expectedChosen << firstName;
        }
        if (!testCase.endsWhileFirstWaits) {
            expectedChosen << secondName;
        }
        EXPECT_EQ(savedIn(chosen), expectedChosen);
        EXPECT_EQ(savedIn(defaultFolder),
            testCase.endsWhileFirstWaits && testCase.defaultFolder ? QStringList { secondName }
                                                                   : QStringList());
        EXPECT_EQ(saved.count(), savedIn(chosen).size() + savedIn(defaultFolder).size());
        EXPECT_TRUE(QFile::exists(first) && QFile::exists(second)) << "both stay for recovery as well";
        EXPECT_TRUE(doubles.presented->empty());
        if (testCase.endsWhileFirstWaits && testCase.defaultFolder) {
            EXPECT_EQ(readFile(QDir(defaultFolder.path()).filePath(secondName)), "second take");
        }
    }
}

TEST_F(AudioRecorderControllerTest, OneStartWaitsForTheSoundAtATimeAndAStopCancelsIt)
{
    // What comes during the start sound, and how many recordings follow.
    const std::pair<std::function<void()>, std::size_t> cases[] = {
        { [&] { controller.start(); }, 1 },
        { [&] { controller.stopRecording(); }, 0 },
        { [&] { controller.stopRecording(), controller.start(); }, 1 },
    };
    for (const auto &[duringTheSound, recordings] : cases) {
        const std::size_t before = doubles.recorders.recordings.size();
        controller.start();
        duringTheSound();
        sounds.completeAll();
        sounds.completeAll();
        EXPECT_EQ(doubles.recorders.recordings.size() - before, recordings);
        controller.stopRecording();
        sounds.completeAll();
    }
}

// A pause or resume belongs to the recording it was asked for: a stop or a start while its sound
// plays cancels it, so the next recording is not paused by it.
TEST_F(AudioRecorderControllerTest, APendingPauseOrResumeIsCancelledByAStopOrAStart)
{
    struct Case
    {
        const char *name;
        bool pausedFirst; // the request is a resume of a paused recording
        std::function<void()> duringTheSound;
        State after;
        std::size_t recordings;
    };
    const std::vector<Case> cases {
        { "pause alone", false, [] {}, State::paused, 1 },
        { "pause, stop, record", false, [&] { controller.stopRecording(), controller.start(); },
            State::recording, 2 },
        { "pause, record", false, [&] { controller.start(); }, State::recording, 1 },
        { "pause, stop", false, [&] { controller.stopRecording(); }, State::stopped, 1 },
        { "resume alone", true, [] {}, State::recording, 1 },
        { "resume, stop, record", true, [&] { controller.stopRecording(), controller.start(); },
            State::recording, 2 },
    };
    for (const Case &test : cases) {
        const std::size_t before = doubles.recorders.recordings.size();
        startRecording();
        if (test.pausedFirst) {
            controller.recorder().pause();
            controller.togglePauseAsync();
        } else {
            controller.pause();
        }
        test.duringTheSound();
        // The sounds end in the order they began: the pause's or resume's first.
        sounds.completeAll();
        sounds.completeAll();
        EXPECT_EQ(controller.recorder().state(), test.after) << test.name;
        EXPECT_EQ(doubles.recorders.recordings.size() - before, test.recordings) << test.name;
        controller.stopRecording();
        sounds.completeAll();
    }
}

// A recording stopped before any audio came in is neither saved nor remembered, and its folder
// goes; one with audio is saved, and the controller tells it is saving until the rewrite is over.
TEST_F(AudioRecorderControllerTest, ARecordingWithoutAudioIsDroppedAndSavingLastsUntilTheRewriteEnds)
{
    useOutputDirectory(output.path());
    for (const double seconds : { 0.0, 0.5 }) {
        SCOPED_TRACE(seconds);
        settings->previous.reset();
        const std::shared_ptr<FakeRecording> fileRecorder = recordInto("header only");
        fileRecorder->writtenTime = seconds;
        const std::size_t exports = doubles.exporter.requests.size();
        controller.stopRecording();
        sounds.completeAll();
        EXPECT_TRUE(controller.recorder().hasUnfinishedRecordings()) << "the file is not complete yet";
        EXPECT_FALSE(controller.isSaving());
        fileRecorder->finish(true);
        EXPECT_FALSE(controller.recorder().hasUnfinishedRecordings());
        EXPECT_TRUE(controller.isSaving()) << "the end waits to be handled";
        if (seconds == 0) {
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !controller.isSaving(); }));
            EXPECT_FALSE(QFileInfo::exists(QFileInfo(recordingPath()).path()));
            EXPECT_TRUE(QDir(output.path()).isEmpty());
            EXPECT_FALSE(settings->previous.has_value());
            EXPECT_EQ(panelsShown, 0);
            continue;
        }
        ASSERT_TRUE(
            TestSupport::processEventsUntil([&] { return doubles.exporter.requests.size() > exports; }));
        TestSupport::processEventsFor(50ms);
        EXPECT_TRUE(controller.isSaving()) << "the rewrite is still running";
        EXPECT_TRUE(doubles.exporter.completeNext({}));
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !controller.isSaving(); }));
        EXPECT_TRUE(QFileInfo::exists(QDir(output.path()).filePath(QFileInfo(recordingPath()).fileName())));
    }
}

// Deleting is for good: a recording into which no audio was counted goes only once its file, read
// back, holds none either. One that holds audio, or cannot be told empty, is saved.
TEST_F(AudioRecorderControllerTest, ARecordingIsDroppedOnlyWhenItsFileHoldsNoAudioEither)
{
    useOutputDirectory(output.path());
    settings->losslessValue = true;
    const struct
    {
        const char *name;
        QByteArray content;
        bool saved;
    } cases[] = {
        { "a bare header", wavFile(0), false },
        { "audio the count missed", wavFile(0.5), true },
        { "more than a bare header that does not read as audio", QByteArray(64 * 1024, '\x5a'), true },
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.name);
        settings->dateTemplate = QLatin1Char('\'') + QLatin1String(test.name) + QLatin1Char('\'');
        QSignalSpy saved(&controller, &AudioRecorderController::recordingSaved);
        const std::shared_ptr<FakeRecording> fileRecorder = recordInto(test.content);
        fileRecorder->writtenTime = 0;
        controller.stopRecording();
        sounds.completeAll();
        fileRecorder->finish(true);
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !controller.isSaving(); }));
        EXPECT_EQ(saved.count(), test.saved ? 1 : 0);
        EXPECT_EQ(QFileInfo::exists(recordingPath()), test.saved) << "what was recorded stays for recovery";
        const QString copy = QDir(output.path()).filePath(QFileInfo(recordingPath()).fileName());
        EXPECT_EQ(QFileInfo::exists(copy) ? readFile(copy) : QByteArray(),
            test.saved ? test.content : QByteArray());
        EXPECT_EQ(panelsShown, 0);
    }
}

TEST_F(AudioRecorderControllerTest, OnlyWhatAnInterruptedSaveLeftIsRemovedFromTheOutputFolder)
{
    const std::pair<QString, bool> files[] = {
        { QStringLiteral(".Take.m4a.0123456789abcdef0123456789abcdef.part"), false },
        { QStringLiteral(".hidden"), true },
        { QStringLiteral("Take.m4a"), true },
        { QStringLiteral("Take.m4a.part"), true },
    };
    for (const auto &[name, kept] : files) {
        writeFile(QDir(output.path()).filePath(name), "x");
    }
    controller.removeInterruptedSaves();
    for (const auto &[name, kept] : files) {
        EXPECT_TRUE(QFile::exists(QDir(output.path()).filePath(name))) << "nothing without an output folder";
    }
    useOutputDirectory(output.path());
    controller.removeInterruptedSaves();
    for (const auto &[name, kept] : files) {
        EXPECT_EQ(QFile::exists(QDir(output.path()).filePath(name)), kept) << name.toStdString();
    }
}

} // namespace
