#include "kit/ui/Introspect.h"
#include "kit/ui/IntrospectShortcuts.h"
#include "kit/ui/IntrospectionView.h"
#include "kit/ui/ResponderChain.h"

#include "EventLoop.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace Introspect;

TEST(IntrospectTest, SearchesUpAndDownTheTree)
{
    QPushButton root;
    QWidget first(&root);
    QPushButton deep(&first);
    QPushButton shallow(&root);
    EXPECT_EQ(findChild<QPushButton>(&root), &deep);
    EXPECT_EQ(findChild<QPushButton>(&deep), nullptr);

    QWidget owner;
    QWidget window(&owner, Qt::Window);
    QWidget panel(&window);
    QLabel label(&panel);
    EXPECT_EQ(responderChain(&label), (std::vector<QObject *> { &label, &panel, &window }));

    // Selectors need a view host, or fall back to ancestors.
    QTableView table;
    QWidget inner(&table);
    QWidget marker(&inner);
    EXPECT_EQ(findViewHost(&marker), nullptr);
    EXPECT_EQ(TargetViewSelector::siblingContaining<QTableView>(&marker), nullptr);
    EXPECT_EQ(TargetViewSelector::siblingContainingOrAncestor<QTableView>(&marker), &table);
    EXPECT_EQ(TargetViewSelector::ancestorOrSiblingOfType<QTableView>(&marker), &table);
}

TEST(IntrospectTest, SiblingsAreSearchedFromTheStartingWidget)
{
    QWidget parent;
    QLabel first(&parent);
    QWidget box(&parent);
    QPushButton inside(&box);
    QPushButton button(&parent);

    EXPECT_EQ(previousSibling<QWidget>(&first, SiblingMatch::ofType), nullptr);
    EXPECT_EQ(previousSibling<QLabel>(&button, SiblingMatch::ofType), &first);
    EXPECT_EQ(previousSibling<QPushButton>(&button, SiblingMatch::containing), &inside);
    EXPECT_EQ(previousSibling<QPushButton>(&button, SiblingMatch::ofType), nullptr);
    EXPECT_EQ(nextSibling<QPushButton>(&button, SiblingMatch::ofType), &button);
    EXPECT_EQ(nextSibling<QPushButton>(&first, SiblingMatch::containing), &inside);
    QWidget orphan;
    EXPECT_EQ(nextSibling<QWidget>(&orphan, SiblingMatch::ofType), nullptr);
}

TEST(IntrospectTest, FrameDecidesBetweenSeveralCandidates)
{
    QWidget window;
    window.resize(400, 100);
    QTextEdit left(&window);
    left.setGeometry(0, 0, 200, 100);
    QWidget rightBox(&window);
    rightBox.setGeometry(200, 0, 200, 100);
    QTextEdit right(&rightBox);
    right.setGeometry(0, 0, 200, 100);
    QWidget from(&rightBox);
    from.setGeometry(50, 40, 20, 20);
    window.show();
    EXPECT_EQ(findChildUsingFrame<QTextEdit>(&window, &from), &right);
    from.setParent(&window);
    from.setGeometry(10, 10, 20, 20);
    EXPECT_EQ(findChildUsingFrame<QTextEdit>(&window, &from), &left);
    from.setGeometry(400, 10, 20, 20);
    EXPECT_EQ(findChildUsingFrame<QTextEdit>(&window, &from), nullptr);
    EXPECT_EQ(findAncestorOrAncestorChild<QTextEdit>(&from), nullptr);
}

TEST(IntrospectTest, MarkerBesideAWidgetCustomisesWhatIsInsideIt)
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    auto *spinBox = new QSpinBox;
    layout->addWidget(new QPushButton(QStringLiteral("before")));
    layout->addWidget(spinBox);
    layout->addWidget(new QPushButton(QStringLiteral("after")));
    int runs = 0;
    QLineEdit *customised = nullptr;
    IntrospectionViewHost *host = IntrospectShortcuts::introspectTextField(spinBox, [&](QLineEdit *edit) {
        ++runs;
        customised = edit;
    });
    EXPECT_TRUE(host->isHidden());
    EXPECT_EQ(previousSibling<QSpinBox>(host, SiblingMatch::ofType), spinBox);
    EXPECT_EQ(runs, 0); // the tree is searched on a later turn
    window.show();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return runs > 0; }));
    EXPECT_EQ(customised, spinBox->findChild<QLineEdit *>());

    // Every later layout of the parent searches again.
    const int before = runs;
    layout->addWidget(new QLabel(QStringLiteral("more")));
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return runs > before; }));

    const qsizetype windowsBefore = QApplication::topLevelWidgets().size();
    auto plain = std::make_unique<QPushButton>();
    int buttonRuns = 0;
    const QPointer<IntrospectionViewHost> plainHost = introspect<QPushButton>(
        plain.get(), &TargetViewSelector::siblingOfType<QPushButton>, [&](QPushButton *) { ++buttonRuns; });
    TestSupport::processEventsFor(std::chrono::milliseconds(20));
    EXPECT_EQ(buttonRuns, 0); // a top-level widget has no siblings to search
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore + 1) << "no window of the host's own";
    plain.reset();
    EXPECT_TRUE(plainHost.isNull()) << "the host goes with the widget";
}

} // namespace
