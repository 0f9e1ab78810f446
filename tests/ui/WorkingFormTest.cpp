// The main window as a user meets it: start-up state, layout, menu, tab order, typing.
#include "FormFixture.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

using namespace versino;
using versino::testing::FormFixture;

namespace {

const char* const kFieldNames[] = {"TitelEdit", "InterpretEdit", "VorspielEdit",
                                   "KapoEdit",  "RefrainEdit",   "BridgeEdit",
                                   "TextEdit",  "NachspielEdit", "GraphikEdit"};

using WorkingForm = FormFixture;

TEST_F(WorkingForm, startsUntitledEmptyAndUnmodified) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Versino " VERSINO_VERSION " - [unbenannt]"));
    EXPECT_FALSE(asksToSave());
    for (const char* name : kFieldNames)
        EXPECT_EQ(text(name), QString()) << name;
    EXPECT_EQ(fontOf("TitelFont"), defaultTitelFont());
    EXPECT_EQ(fontOf("AkkordFont"), defaultAkkordFont());
    EXPECT_TRUE(dialogs.confirms.empty());
}

TEST_F(WorkingForm, typingOneCharacterInAnyFieldSetsModified) {
    for (const char* name : kFieldNames) {
        save();
        ASSERT_FALSE(asksToSave()) << name;
        QWidget* field = child(name);
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("x"));
        EXPECT_TRUE(asksToSave()) << name;
    }
    EXPECT_EQ(text("KapoEdit"), QStringLiteral("x"));
    EXPECT_EQ(text("TextEdit"), QStringLiteral("x"));
}

TEST_F(WorkingForm, clientAreaIsFixedAndCannotBeMaximised) {
    QWidget* client = child("ClientArea");
    EXPECT_EQ(client->size(), QSize(672, 688));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_EQ(form->font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(form->font().pointSize(), 8);
}

TEST_F(WorkingForm, firstShownCentredOnTheScreenThenLeftWhereMoved) {
    form->move(3, 4);
    showActive();
    const QPoint screenCentre = form->screen()->availableGeometry().center();
    EXPECT_LE((form->frameGeometry().center() - screenCentre).manhattanLength(), 2);
    form->move(40, 30);
    form->hide();
    form->show();
    EXPECT_EQ(form->pos(), QPoint(40, 30));
}

struct Placement {
    const char* name;
    QRect rect;
};

TEST_F(WorkingForm, controlsStandWhereTheLayoutPutsThem) {
    const Placement table[] = {
        {"TitelEdit", {72, 8, 553, 25}},     {"InterpretEdit", {72, 40, 553, 25}},
        {"VorspielEdit", {72, 80, 465, 21}}, {"KapoEdit", {576, 80, 33, 21}},
        {"RefrainEdit", {8, 136, 329, 105}}, {"BridgeEdit", {336, 136, 329, 105}},
        {"TextEdit", {8, 296, 657, 313}},    {"NachspielEdit", {80, 624, 577, 21}},
        {"GraphikEdit", {80, 648, 545, 21}}, {"RBtn", {144, 256, 65, 33}},
        {"R2Btn", {208, 256, 65, 33}},       {"BBtn", {272, 256, 65, 33}},
        {"RefBtn", {336, 256, 65, 33}},      {"SpaltenBtn", {400, 256, 65, 33}},
        {"GraphikBtn", {633, 648, 25, 25}},  {"Font1Btn", {632, 8, 25, 25}},
        {"Font2Btn", {632, 40, 25, 25}},     {"Font3Btn", {616, 80, 25, 25}},
        {"Font4Btn", {640, 80, 25, 25}},     {"Bevel1", {0, 0, 665, 73}},
        {"Bevel2", {8, 616, 657, 61}},
    };
    for (const Placement& p : table)
        EXPECT_EQ(child(p.name)->geometry(), p.rect) << p.name;

    const struct {
        const char* name;
        const char* caption;
        QPoint at;
    } labels[] = {
        {"Label1", "Titel:", {8, 8}},        {"Label2", "Interpret:", {8, 40}},
        {"Label3", "Bemerkung:", {9, 80}},   {"Label10", "Kapo:", {544, 80}},
        {"Label4", "Refrain:", {8, 112}},    {"Label8", "Bridge /", {336, 108}},
        {"Label9", "Refrain2:", {336, 120}}, {"Label5", "Songtext:", {8, 280}},
        {"Label6", "Bemerkung:", {16, 624}}, {"Label7", "Grafik:", {16, 648}},
    };
    for (const auto& l : labels) {
        auto* label = child<QLabel>(l.name);
        EXPECT_EQ(label->text(), QString::fromUtf8(l.caption)) << l.name;
        EXPECT_EQ(label->pos(), l.at) << l.name;
        // A label that cuts its own caption is as bad as a wrong one.
        EXPECT_GE(label->width(), label->sizeHint().width()) << l.name;
    }
}

TEST_F(WorkingForm, eightButtonsExplainThemselvesAndTwoDoNot) {
    const struct {
        const char* name;
        const char* tip;
    } tips[] = {
        {"RBtn", "Refraintext einfügen"},
        {"BBtn", "Bridgetext einfügen"},
        {"RefBtn", "\"Refrain\" einfügen"},
        {"SpaltenBtn", "2. Spalte beginnen"},
        {"Font1Btn", "Schriftart für den Titel wählen"},
        {"Font2Btn", "Schriftart für den Interpreten wählen"},
        {"Font3Btn", "Schriftart für den Text wählen"},
        {"Font4Btn", "Schriftart für die Akkorde wählen"},
    };
    for (const auto& t : tips)
        EXPECT_EQ(child(t.name)->toolTip(), QString::fromUtf8(t.tip)) << t.name;
    EXPECT_TRUE(child("R2Btn")->toolTip().isEmpty());
    EXPECT_TRUE(child("GraphikBtn")->toolTip().isEmpty());
}

TEST_F(WorkingForm, buttonsShowGlyphsAndNoCaption) {
    for (const char* name : {"RBtn", "R2Btn", "BBtn", "RefBtn", "SpaltenBtn", "GraphikBtn", "Font1Btn",
                             "Font2Btn", "Font3Btn", "Font4Btn"}) {
        auto* b = child<QPushButton>(name);
        EXPECT_TRUE(b->text().isEmpty()) << name;
        EXPECT_FALSE(b->icon().isNull()) << name;
    }
}

struct MenuItem {
    const char* name;
    const char* caption;
    QKeySequence shortcut;
};

TEST_F(WorkingForm, menuTreeHasItsCaptionsAndShortcuts) {
    const MenuItem items[] = {
        {"Neu", "&Neu", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"Oeffnen", "Ö&ffnen . . .", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {"Speichern", "&Speichern", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"SpeichernAls", "Speichern &als . . .", QKeySequence()},
        {"Drucken", "&Drucken", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"Beenden", "Programm &beenden", QKeySequence()},
        {"TitelFont", "Schriftart für Titel ändern...", QKeySequence()},
        {"InterpretFont", "Schriftart für Interpret ändern...", QKeySequence()},
        {"TextFont", "Schriftart für Text ändern...", QKeySequence()},
        {"AkkordFont", "Schriftart für Akkorde ändern...", QKeySequence()},
        {"Einpassen", "Auf eine Seite &einpassen", QKeySequence()},
        {"Transponieren", "&Transponieren . . .", QKeySequence()},
        {"Seitenvorschau", "Seiten&vorschau", QKeySequence()},
        {"ExportPdf", "&PDF-Dokument . . .", QKeySequence()},
        {"ExportChordPro", "&ChordPro . . .", QKeySequence()},
        {"Ersetzen", "&Suchen und Ersetzen", QKeySequence()},
        {"Rueckgaengig", "&Rückgängig", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z)},
        {"Wiederherstellen", "&Wiederherstellen", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Y)},
        {"Bedienungshinweise", "Bedienungshinweise", QKeySequence()},
        {"Info", "Info", QKeySequence()},
    };
    for (const MenuItem& m : items) {
        QAction* a = action(m.name);
        EXPECT_EQ(a->text(), QString::fromUtf8(m.caption)) << m.name;
        EXPECT_EQ(a->shortcut(), m.shortcut) << m.name;
    }

    const auto captions = [this](const char* menu) {
        QStringList out;
        for (QAction* a : child<QMenu>(menu)->actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    };
    EXPECT_EQ(child<QMenu>("Datei")->title(), QStringLiteral("&Datei"));
    EXPECT_EQ(child<QMenu>("Bearbeiten1")->title(), QStringLiteral("&Bearbeiten"));
    EXPECT_EQ(child<QMenu>("Hilfe")->title(), QStringLiteral("&Hilfe"));
    EXPECT_EQ(captions("Datei"), QStringList({"&Neu", "Ö&ffnen . . .", "&Speichern", "Speichern &als . . .",
                                              "&Exportieren", "&Drucken", "Seiten&vorschau", "&Liederbuch . . .", "Bü&hnenansicht", "-",
                                              "Programm &beenden"}));
    EXPECT_EQ(captions("Exportieren"), QStringList({"&PDF-Dokument . . .", "&ChordPro . . ."}));
    EXPECT_EQ(captions("Bearbeiten1").size(), 15);
    EXPECT_EQ(captions("Bearbeiten1").at(4), QStringLiteral("Auf eine Seite &einpassen"));
    EXPECT_EQ(captions("Bearbeiten1").at(5), QStringLiteral("&Transponieren . . ."));
    // The defined items, then the song's second page and its chord diagrams, each after a separator.
    EXPECT_EQ(captions("Bearbeiten1").mid(6),
              QStringList({"-", "&Suchen und Ersetzen", "-", "&Rückgängig", "&Wiederherstellen", "-",
                           "Auf &zwei Seiten fortsetzen", "-", "&Griffbilder . . ."}));
    EXPECT_EQ(captions("Hilfe"), QStringList({"Bedienungshinweise", "Info"}));
    QStringList bar;
    for (QAction* a : form->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, QStringList({"&Datei", "&Bearbeiten", "&Hilfe"}));
}

TEST_F(WorkingForm, findAndReplaceStaysGreyed) {
    QAction* ersetzen = action("Ersetzen");
    EXPECT_FALSE(ersetzen->isEnabled());
    dialogs.openAnswers.push_back(std::nullopt);
    form->NeuClick();
    form->OeffnenClick();
    EXPECT_FALSE(ersetzen->isEnabled());
}

TEST_F(WorkingForm, ctrlFOpensAndCtrlODoesNothing) {
    showActive();
    lineEdit("TitelEdit")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.openRequests.empty());

    dialogs.openAnswers.push_back(std::nullopt);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_TRUE(
        dialogs.openRequests[0].filter.startsWith(QStringLiteral("Text Layouts (*.vsn)|*.vsn|ChordPro (")));
    EXPECT_EQ(dialogs.openRequests[0].defaultExtension, QStringLiteral("vsn"));
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(WorkingForm, ctrlNFromTheLyricsAsksBeforeDiscardingChanges) {
    showActive();
    textEdit()->setFocus();
    QTest::keyClicks(textEdit(), QStringLiteral("la la"));
    dialogs.confirmAnswers.push_back(MsgButton::Cancel);
    QTest::keyClick(textEdit(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(dialogs.confirms.size(), 1u);
    EXPECT_TRUE(dialogs.confirms[0].withCancel);
    EXPECT_EQ(text("TextEdit"), QStringLiteral("la la"));
}

TEST_F(WorkingForm, ctrlPWithEmptyLyricsOnlyTellsTheUser) {
    showActive();
    lineEdit("TitelEdit")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(WorkingForm, tabWalksTheControlsInOrderAndWraps) {
    showActive();
    const char* order[] = {"InterpretEdit", "VorspielEdit",  "KapoEdit",    "RefrainEdit", "BridgeEdit",
                           "RBtn",          "R2Btn",         "BBtn",        "RefBtn",      "SpaltenBtn",
                           "TextEdit",      "NachspielEdit", "GraphikEdit", "GraphikBtn",  "Font1Btn",
                           "Font2Btn",      "Font3Btn",      "Font4Btn",    "TitelEdit"};
    lineEdit("TitelEdit")->setFocus();
    ASSERT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("TitelEdit"));
    for (const char* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
    }
    // Tab in a multi-line field moved on instead of typing a tab character.
    EXPECT_EQ(text("TextEdit"), QString());
    EXPECT_EQ(text("RefrainEdit"), QString());
}

TEST_F(WorkingForm, longLyricLineDoesNotWrapAndScrollsSideways) {
    showActive();
    setText("TextEdit", QString(400, QLatin1Char('w')) + QStringLiteral("\nshort"));
    QApplication::processEvents();
    const QTextBlock first = textEdit()->document()->firstBlock();
    ASSERT_NE(first.layout(), nullptr);
    EXPECT_EQ(first.layout()->lineCount(), 1);
    QScrollBar* bar = textEdit()->horizontalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_TRUE(bar->isVisible());
    bar->setValue(bar->maximum());
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(WorkingForm, errorFromAHandlerIsReportedAndTheWindowGoesOn) {
    QTemporaryDir dir;
    dialogs.openAnswers.push_back(dir.filePath(QStringLiteral("missing.vsn")));
    setText("TitelEdit", QStringLiteral("Mein Lied"));
    save();
    const QString caption = form->windowTitle();
    action("Oeffnen")->trigger();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], QStringLiteral("File not found."));
    EXPECT_EQ(text("TitelEdit"), QStringLiteral("Mein Lied"));
    EXPECT_EQ(form->windowTitle(), caption);
    EXPECT_FALSE(asksToSave());

    // A dialog nobody expected (here: no scripted answer) also ends in the report, not in a crash.
    action("SpeichernAls")->trigger();
    ASSERT_EQ(dialogs.errors.size(), 2u);
    EXPECT_TRUE(dialogs.errors[1].endsWith(QLatin1Char('.')));

    QTest::keyClicks(lineEdit("InterpretEdit"), QStringLiteral("Band"));
    EXPECT_EQ(text("InterpretEdit"), QStringLiteral("Band"));
    EXPECT_TRUE(asksToSave());
}

TEST_F(WorkingForm, closingWithChangesAndCancelKeepsWindowAndChanges) {
    showActive();
    QTest::keyClicks(lineEdit("TitelEdit"), QStringLiteral("Unsaved"));
    dialogs.confirmAnswers.push_back(MsgButton::Cancel);
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(asksToSave());
    EXPECT_EQ(text("TitelEdit"), QStringLiteral("Unsaved"));
    ASSERT_EQ(dialogs.confirms.size(), 1u);
    EXPECT_EQ(dialogs.confirms[0].text, QStringLiteral("Wollen Sie die Datei vor dem Schließen speichern?"));

    dialogs.confirmAnswers.push_back(MsgButton::No);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WorkingForm, closingUnmodifiedAsksNothing) {
    showActive();
    action("Beenden")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(dialogs.confirms.empty());
}

} // namespace
