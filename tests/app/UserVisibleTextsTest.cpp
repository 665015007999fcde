#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

// The string literals of a C++ source, adjacent ones joined as the compiler joins them, "\u"
// escapes decoded (a word beside a quotation mark is a word of its own); comments and character
// literals such as '"' hold none.
QStringList stringLiterals(const QString &source)
{
    static const QRegularExpression token(
        QStringLiteral(R"re(//[^\n]*|'(?:\\.|[^'\\])*'|"((?:\\.|[^"\\])*)")re"));
    static const QRegularExpression escape(QStringLiteral(R"(\\u([0-9a-fA-F]{4}))"));
    QStringList literals;
    qsizetype joinsAt = -1;
    for (const QRegularExpressionMatch &match : token.globalMatch(source)) {
        QString text = match.captured(1);
        for (QRegularExpressionMatch code; (code = escape.match(text)).hasMatch();) {
            text.replace(
                code.capturedStart(), code.capturedLength(), QChar(code.captured(1).toUShort(nullptr, 16)));
        }
        const bool literal = match.capturedStart(1) >= 0;
        if (literal && joinsAt >= 0
            && source.mid(joinsAt, match.capturedStart() - joinsAt).trimmed().isEmpty()) {
            literals.last() += text;
        } else if (literal) {
            literals.append(text);
        }
        joinsAt = literal ? match.capturedEnd() : -1;
    }
    return literals;
}

// The words of a Mac desktop that name nothing a Linux user has.
QStringList macWords(const QString &text)
{
    static const QList<QRegularExpression> patterns {
        QRegularExpression(QStringLiteral("\\bFinder\\b")),
        QRegularExpression(QStringLiteral("\u2318")),
        QRegularExpression(QStringLiteral("\\bmenu[ -]?bar\\b"), QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral("\\bSystem (Settings|Preferences)\\b")),
        QRegularExpression(
            QStringLiteral("\\b(Option|Command) key\\b"), QRegularExpression::CaseInsensitiveOption),
        // Linux desktops open a save dialog.
        QRegularExpression(QStringLiteral("\\bsave panel\\b"), QRegularExpression::CaseInsensitiveOption),
    };
    QStringList found;
    for (const QRegularExpression &pattern : patterns) {
        if (const QRegularExpressionMatch match = pattern.match(text); match.hasMatch()) {
            found.append(match.captured());
        }
    }
    return found;
}

TEST(UserVisibleTextsTest, TheCheckFindsTheMacWordsAndOnlyThem)
{
    const std::vector<std::pair<const char *, bool>> cases {
        { "Show in Finder", true },
        { "Instead, drag and drop the audio recording from Finder into such apps.", true },
        { "Finding a recording", false },
        { "Dim menu bar icon when not recording", true },
        { "Menubar icon", true },
        { "Show duration in the tray while recording", false },
        { "You can manually grant access in System Settings.", true },
        { "You can manually grant access in your system settings.", false },
        { "Press the Option key when stopping", true },
        { "Press the Alt key when stopping", false },
        { "an option of the menu", false },
        { "\u2318Q", true },
        { "Quitting closes the save panel, and", true },
        { "Quitting closes the Save Panel.", true },
        { "Quitting closes the save dialog, and", false },
        { "the panel's save button", false },
    };
    for (const auto &[text, named] : cases) {
        EXPECT_EQ(!macWords(QString::fromUtf8(text)).isEmpty(), named) << text;
    }
}

// Every text the program shows lives in a *Texts.h: none of them may send the user to a place or a
// key of another desktop.
TEST(UserVisibleTextsTest, NoTextNamesAMacPlaceOrKey)
{
    QDirIterator files(QStringLiteral(TAPEWICK_SOURCE_DIR "/src"), { QStringLiteral("*Texts.h") },
        QDir::Files, QDirIterator::Subdirectories);
    QStringList names;
    qsizetype literals = 0;
    while (files.hasNext()) {
        QFile file(files.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        names.append(files.fileName());
        for (const QString &text : stringLiterals(QString::fromUtf8(file.readAll()))) {
            ++literals;
            EXPECT_TRUE(macWords(text).isEmpty())
                << files.fileName().toStdString() << ": " << text.toStdString();
        }
    }
    for (const char *expected : { "AppTexts.h", "MenuTexts.h", "SettingsTexts.h", "ServiceTexts.h" }) {
        EXPECT_TRUE(names.contains(QLatin1String(expected))) << expected;
    }
    EXPECT_GT(literals, 150);
}

} // namespace
