#include "kit/foundation/errors/NSError.h"
#include "kit/foundation/panels/AppPicker.h"
#include "kit/foundation/panels/DirectoryPicker.h"
#include "kit/foundation/panels/OpenPanel.h"
#include "kit/foundation/panels/PanelAsync.h"
#include "kit/foundation/system/FoundationHooks.h"

#include "KitTesting.h"

#include <QFileSystemModel>
#include <QPointer>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// Parameters live in the coroutine frame; captures of a temporary lambda would not.
QCoro::Task<> awaitAnswer(QFileDialog *panel, QWidget *window, std::shared_ptr<std::optional<int>> answer)
{
    *answer = co_await beginAsync(panel, window);
}

class PanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_directory.isValid());
        FoundationHooks::setAppIdentifier(u"org.example.Tapewick"_s);
    }

    void TearDown() override
    {
        KitTesting::closeMessageBoxes();
        delete m_panel.data();
    }

    QString makeFile(const QString &name, const QByteArray &contents = "x")
    {
        return KitTesting::writeFile(m_directory.filePath(name), contents);
    }

    std::shared_ptr<std::optional<int>> start(QWidget *window = nullptr)
    {
        auto answer = std::make_shared<std::optional<int>>();
        awaitAnswer(m_panel, window, answer);
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return m_panel && m_panel->isVisible(); }));
        return answer;
    }

    QTemporaryDir m_directory;
    QPointer<OpenPanel> m_panel = new OpenPanel;
};

TEST_F(PanelTest, AFreeStandingPanelAnswersAcceptedOrCancelledAndASheetIsCancelledWhenItsWindowGoes)
{
    m_panel->setFileMode(QFileDialog::Directory);
    m_panel->setDirectory(m_directory.path());
    auto answer = start();
    EXPECT_EQ(m_panel->windowModality(), Qt::NonModal);
    EXPECT_EQ(m_panel->parentWidget(), nullptr);
    m_panel->selectFile(m_directory.path());
    m_panel->accept();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return answer->has_value(); }));
    EXPECT_EQ(**answer, QDialog::Accepted);

    auto cancelled = start();
    m_panel->reject();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return cancelled->has_value(); }));
    EXPECT_EQ(**cancelled, QDialog::Rejected);

    // A sheet is cancelled when its window goes.
    auto *window = new QWidget;
    window->show();
    auto sheet = start(window);
    EXPECT_EQ(m_panel->parentWidget(), window);
    EXPECT_EQ(m_panel->windowModality(), Qt::WindowModal);
    delete window;
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return sheet->has_value(); }));
    EXPECT_EQ(**sheet, QDialog::Rejected);
    EXPECT_TRUE(m_panel.isNull());
}

TEST_F(PanelTest, TheAppPickerRefusesAnItemThatIsNotAnAppAndStaysOpen)
{
    const QString notes = makeFile(u"notes.txt"_s);
    const QString app = makeFile(
        u"org.example.Player.desktop"_s, "[Desktop Entry]\nType=Application\nName=Player\nExec=true\n");
    auto delegate = std::make_shared<AppPicker::PanelDelegate>();
    m_panel->setDelegate(delegate);
    m_panel->setFileMode(QFileDialog::ExistingFile);
    m_panel->setDirectory(m_directory.path());
    auto answer = start();

    m_panel->selectFile(notes);
    m_panel->accept();
    QMessageBox *box = nullptr;
    ASSERT_TRUE(TestSupport::processEventsUntil(
        [&] { return (box = KitTesting::visible<QMessageBox>()) != nullptr; }));
    EXPECT_EQ(box->text(), u"The selected item is not an app."_s);
    EXPECT_EQ(box->informativeText(), u"Please select an app."_s);
    box->close();
    TestSupport::processEventsFor(std::chrono::milliseconds(20));
    EXPECT_FALSE(answer->has_value());
    EXPECT_TRUE(m_panel->isVisible());

    m_panel->selectFile(app);
    m_panel->accept();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return answer->has_value(); }));
    EXPECT_EQ(**answer, QDialog::Accepted);
    EXPECT_EQ(m_panel->selectedFiles(), QStringList { app });
}

TEST_F(PanelTest, TheAppPickerDisablesTheProgramsOwnEntryOnlyAndItsOwnCheckCanRefuseAnApp)
{
    AppPicker::PanelDelegate delegate;
    EXPECT_EQ(delegate.filename(), u"org.example.Tapewick.desktop"_s);
    EXPECT_FALSE(delegate.shouldEnableUrl(
        QUrl::fromLocalFile(u"/usr/share/applications/org.example.Tapewick.desktop"_s)));
    EXPECT_TRUE(delegate.shouldEnableUrl(
        QUrl::fromLocalFile(u"/usr/share/applications/org.example.Tapewick2.desktop"_s)));
    EXPECT_TRUE(delegate.shouldEnableUrl(QUrl::fromLocalFile(u"/tmp/org.example.tapewick.desktop"_s)));

    // A folder is refused too.
    const auto folderRefusal = delegate.validateUrl(QUrl::fromLocalFile(m_directory.path()));
    ASSERT_TRUE(folderRefusal);
    EXPECT_EQ(folderRefusal->localizedDescription(), u"The selected item is not an app."_s);

    // The picker's own check can refuse an app too.
    const QString app
        = makeFile(u"org.example.Old.desktop"_s, "[Desktop Entry]\nType=Application\nName=Old\nExec=true\n");
    EXPECT_EQ(delegate.validateUrl(QUrl::fromLocalFile(app)), nullptr);
    delegate.validate = [](const QUrl &) { throw NSError(u"test"_s, 42); };
    const auto refusal = delegate.validateUrl(QUrl::fromLocalFile(app));
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->code(), 42);
}

TEST_F(PanelTest, TheDirectoryPickerEnablesWhatItsClosureAcceptsAndEverythingWithout)
{
    const QString keep = makeFile(u"keep.txt"_s);
    const QString hide = makeFile(u"hide.txt"_s);
    auto delegate = std::make_shared<DirectoryPicker::PanelDelegate>();
    m_panel->setDelegate(delegate);
    m_panel->setDirectory(m_directory.path());

    auto *source = qobject_cast<QFileSystemModel *>(m_panel->proxyModel()->sourceModel());
    ASSERT_NE(source, nullptr);
    const auto flagsOf = [&](const QString &path) {
        return m_panel->proxyModel()->mapFromSource(source->index(path)).flags();
    };
    EXPECT_TRUE(flagsOf(hide) & Qt::ItemIsEnabled);

    delegate->shouldEnable = [](const QUrl &url) { return !url.path().endsWith(u"hide.txt"_s); };
    m_panel->setDelegate(delegate);
    EXPECT_TRUE(flagsOf(keep) & Qt::ItemIsEnabled);
    EXPECT_FALSE(flagsOf(hide) & Qt::ItemIsEnabled);
    EXPECT_FALSE(flagsOf(hide) & Qt::ItemIsSelectable);
    EXPECT_FALSE(m_panel->isUrlEnabled(QUrl::fromLocalFile(hide)));
}

} // namespace
