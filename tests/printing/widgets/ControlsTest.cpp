// The scale box, the toolbar and the status bar linked to a preview.
#include "PreviewFixture.h"

#include "printing/PSCombo.h"
#include "printing/PSGlyphs.h"
#include "printing/PSStatusBar.h"
#include "printing/PSToolbar.h"
#include "support/Input.h"

#include <QDialog>
#include <QLineEdit>
#include <QSizeGrip>
#include <QToolButton>

using namespace printing;
using namespace tolv::test;

TEST(ScaleFromText, DigitsWithAtMostOneFractionRoundedHalfToEven)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"Whole page (37%)", 37}, {"150%", 150}, {"12.5", 12}, {"13.5", 14}, {"150.5", 150},
        {"1.2.3", 1},             {"7a5", 75},   {"abc", std::nullopt},   {"", std::nullopt},
        {".", std::nullopt},      {"99999999999", MaxViewScale + 1},
    };
    for (const auto& [text, want] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ScaleFromText(text), want);
    }
}

class ControlsTest : public PreviewTest {
protected:
    ControlsTest()
    {
        preview.SetPrintJob(&job);
        toolbar.SetPreview(&preview);
        status.SetPreview(&preview);
    }
    // A form around the bar, so that Close has a window to close.
    QDialog form;
    TPreviewToolbar toolbar{&form};
    TPreviewStatusBar status{&form};
};

TEST_F(ControlsTest, ScaleBoxFollowsThePreviewAndSaysWhenNotLinked)
{
    TPreviewComboBox& box = *toolbar.ScaleBoxControl();
    EXPECT_EQ(box.Text(), "Whole page (43%)");
    TPreviewComboBox alone;
    EXPECT_EQ(alone.Text(), "not linked");
    EXPECT_EQ(alone.width(), 125);

    box.RebuildItems();
    ASSERT_EQ(box.count(), 13);
    EXPECT_EQ(box.itemText(0).toStdString(), "Whole page");
    EXPECT_EQ(box.itemText(1).toStdString(), "Page width");
    EXPECT_EQ(box.itemText(2).toStdString(), "10%");
    EXPECT_EQ(box.itemText(12).toStdString(), "1000%");
    EXPECT_EQ(box.Text(), "Whole page (43%)");

    box.Pick(5);   // 75%
    EXPECT_EQ(preview.ViewMode(), vmCustom);
    EXPECT_EQ(preview.ViewScale(), 75);
    EXPECT_EQ(box.Text(), "75%");
    box.Pick(1);
    EXPECT_EQ(preview.ViewMode(), vmPageWidth);
    box.Pick(0);
    EXPECT_EQ(preview.ViewMode(), vmWholePage);
}

TEST_F(ControlsTest, ScaleBoxTypingEnterAndEscape)
{
    TPreviewComboBox& box = *toolbar.ScaleBoxControl();
    QLineEdit* edit = box.lineEdit();
    // Enter on the unchanged text takes its number.
    Key(edit, Qt::Key_Return);
    EXPECT_EQ(preview.ViewMode(), vmCustom);
    EXPECT_EQ(preview.ViewScale(), 43);

    edit->clear();
    for (QChar c : QString("a1b2.5c"))
        Key(edit, Qt::Key_unknown, Qt::NoModifier, QString(c));
    EXPECT_EQ(edit->text().toStdString(), "12.5");
    Key(edit, Qt::Key_Enter);
    EXPECT_EQ(preview.ViewScale(), 12);

    // Escape throws the entry away.
    edit->setText("300");
    Key(edit, Qt::Key_Escape);
    EXPECT_EQ(box.Text(), "12%");
    EXPECT_EQ(preview.ViewScale(), 12);

    // No number: the message, the mode already custom, the scale kept.
    preview.SetViewMode(vmWholePage);
    edit->setText("%");
    Key(edit, Qt::Key_Return);
    ASSERT_EQ(dialogs.messageBoxes().size(), 1u);
    EXPECT_EQ(dialogs.messageBoxes()[0].text, "Invalid scale value");
    EXPECT_EQ(preview.ViewMode(), vmCustom);
    EXPECT_EQ(preview.ViewScale(), 43);
}

TEST_F(ControlsTest, ArrangeButtonsAsTheTableGivesThem)
{
    const auto left = [&](TButtonKind k) { return toolbar.Button(k)->x(); };
    const int box = toolbar.ScaleBoxControl()->width();
    ASSERT_EQ(box, 125);
    struct Case {
        const char* name;
        TButtons buttons;
        bool scaleBox;
        TButtonKind pos;
        int boxLeft;
        std::vector<std::pair<TButtonKind, int>> lefts;
    };
    const Case cases[] = {
        {"defaults", DefaultButtons, true, btnZoomOut, 147,
         {{btnPrint, 1}, {btnPrinterSetupDialog, 25}, {btnFirstPage, 49}, {btnPrevPage, 73},
          {btnNextPage, 97}, {btnLastPage, 121}, {btnZoomOut, 274}, {btnZoomIn, 298}}},
        {"no buttons", TButtons{}, true, btnZoomOut, 3, {}},
        {"box before a hidden kind",
         TButtons{btnPrint, btnPrintDialog, btnPrinterSetupDialog, btnFirstPage, btnPrevPage, btnNextPage,
                  btnLastPage, btnWholePage, btnPageWidth, btnClose},
         true, btnZoomOut, 219, {{btnPageWidth, 193}, {btnClose, 217 + 125 + 4}}},
        {"no box", DefaultButtons, false, btnZoomOut, -1, {{btnLastPage, 121}, {btnZoomOut, 145}, {btnZoomIn, 169}}},
        {"box first", DefaultButtons, true, btnPrint, 3, {{btnPrint, 1 + 129}, {btnZoomIn, 169 + 129}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        toolbar.SetButtons(k.buttons);
        toolbar.SetScaleBox(k.scaleBox);
        toolbar.SetScaleBoxPos(k.pos);
        for (int b = 0; b < ButtonKindCount; ++b)
            EXPECT_EQ(toolbar.Button(TButtonKind(b))->isVisibleTo(&toolbar), k.buttons.Contains(TButtonKind(b)));
        EXPECT_EQ(toolbar.ScaleBoxControl()->isVisibleTo(&toolbar), k.scaleBox);
        if (k.boxLeft >= 0) {
            EXPECT_EQ(toolbar.ScaleBoxControl()->x(), k.boxLeft);
        }
        for (auto [kind, x] : k.lefts)
            EXPECT_EQ(left(kind), x) << int(kind);
    }
    EXPECT_EQ(DefaultButtons.Bits(), 1661);
}

TEST_F(ControlsTest, ButtonStatesAtThePageAndZoomEnds)
{
    const auto enabled = [&](TButtonKind k) { return toolbar.Button(k)->isEnabled(); };
    EXPECT_FALSE(enabled(btnFirstPage));
    EXPECT_FALSE(enabled(btnPrevPage));
    EXPECT_TRUE(enabled(btnNextPage));
    EXPECT_TRUE(enabled(btnLastPage));
    toolbar.ButtonClick(btnLastPage);
    EXPECT_EQ(preview.PageIndex(), 3);
    EXPECT_TRUE(enabled(btnPrevPage));
    EXPECT_FALSE(enabled(btnNextPage));

    job.SetPageCount(1);
    for (TButtonKind k : {btnFirstPage, btnPrevPage, btnNextPage, btnLastPage})
        EXPECT_FALSE(enabled(k)) << int(k);

    preview.SetViewMode(vmCustom);
    preview.SetViewScale(1000);
    EXPECT_FALSE(enabled(btnZoomIn));
    EXPECT_TRUE(enabled(btnZoomOut));
    preview.SetViewScale(10);
    EXPECT_TRUE(enabled(btnZoomIn));
    EXPECT_FALSE(enabled(btnZoomOut));
}

TEST_F(ControlsTest, ButtonActionsAndTheVeto)
{
    toolbar.ButtonClick(btnNextPage);
    EXPECT_EQ(preview.PageIndex(), 2);
    toolbar.ButtonClick(btnZoomIn);
    EXPECT_EQ(preview.ViewScale(), 50);
    toolbar.ButtonClick(btnPageWidth);
    EXPECT_EQ(preview.ViewMode(), vmPageWidth);
    const int renders = draws;
    toolbar.ButtonClick(btnRefresh);
    EXPECT_EQ(draws, renders + 1);

    std::vector<TButtonKind> asked;
    toolbar.OnButtonClick = [&](TCustomPreviewToolbar&, TButtonKind b, bool& allow) {
        asked.push_back(b);
        allow = false;
    };
    ShowExposed(form);
    toolbar.Button(btnFirstPage)->setEnabled(false);
    toolbar.ButtonClick(btnClose);
    toolbar.ButtonClick(btnPrevPage);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(preview.PageIndex(), 2);
    // Refreshed all the same.
    EXPECT_TRUE(toolbar.Button(btnFirstPage)->isEnabled());
    EXPECT_EQ(asked, (std::vector<TButtonKind>{btnClose, btnPrevPage}));

    toolbar.OnButtonClick = nullptr;
    int user = 0;
    toolbar.OnUserButtonClick = [&](TCustomPreviewToolbar&) { ++user; };
    toolbar.ButtonClick(btnUser);
    EXPECT_EQ(user, 1);
    toolbar.ButtonClick(btnClose);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ControlsTest, PrintIsRefusedWhileAPrintRuns)
{
    int runs = 0;
    job.OnStartPrint = [&](TCustomPrintJob&) { ++runs; };
    // The print loop processes messages between pages: a click arrives.
    job.OnEndPrintPage = [&](TCustomPrintJob&, int) {
        toolbar.ButtonClick(btnPrint);
        toolbar.ButtonClick(btnPrintDialog);
    };
    toolbar.ButtonClick(btnPrint);
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(printer.documents.size(), 1u);
    EXPECT_EQ(printer.documents[0].pages.size(), 3u);
    EXPECT_FALSE(toolbar.PrintActionRunning());
    // And allowed again afterwards.
    job.OnEndPrintPage = nullptr;
    toolbar.ButtonClick(btnPrint);
    EXPECT_EQ(runs, 2);
}

TEST_F(ControlsTest, GlyphsAndHints)
{
    EXPECT_EQ(GlyphStrip().size(), QSize(208, 16));
    for (int k = 0; k < GlyphCount; ++k) {
        SCOPED_TRACE(k);
        const QImage g = Glyph(k);
        int drawn = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                drawn += qAlpha(g.pixel(x, y)) > 0;
        EXPECT_GT(drawn, 10);
        EXPECT_FALSE(toolbar.Button(TButtonKind(k))->icon().isNull());
    }
    EXPECT_EQ(toolbar.Button(btnPrint)->toolTip().toStdString(), "Print");
    EXPECT_EQ(toolbar.Button(btnNextPage)->toolTip().toStdString(), "Next page");
    EXPECT_EQ(toolbar.Button(btnClose)->toolTip().toStdString(), "Close");
    EXPECT_EQ(toolbar.ScaleBoxControl()->toolTip().toStdString(), "View mode and scale");
    toolbar.SetUserButtonHint("Mehr");
    EXPECT_EQ(toolbar.Button(btnUser)->toolTip().toStdString(), "Mehr");
    toolbar.SetShowHint(false);
    EXPECT_TRUE(toolbar.Button(btnPrint)->toolTip().isEmpty());
}

TEST_F(ControlsTest, StatusBarParts)
{
    status.SetUserText("Kacheln");
    const int w = preview.width();
    struct Case {
        const char* name;
        TPanels panels;
        std::vector<int> edges;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"both", {pnPage, pnScale}, {100, 200, w}, {"Page 1 of 3", "Whole page (43%)", "Kacheln"}},
        {"scale", {pnScale}, {100, w}, {"Whole page (43%)", "Kacheln"}},
        {"page", {pnPage}, {100, w}, {"Page 1 of 3", "Kacheln"}},
        {"none", {}, {w}, {"Kacheln"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        status.SetPanels(k.panels);
        EXPECT_EQ(status.PartEdges(), k.edges);
        EXPECT_EQ(status.PartTexts(), k.texts);
    }
    status.SetPanels({pnPage, pnScale});
    status.SetPagePanelWidth(80);
    EXPECT_EQ(status.PartEdges(), (std::vector<int>{80, 180, w}));
    preview.SetPageIndex(2);
    EXPECT_EQ(status.PartTexts()[0], "Page 2 of 3");

    // Without a preview nothing is set.
    TPreviewStatusBar alone(&form);
    int updates = 0;
    alone.OnUpdate = [&](TCustomPreviewStatusBar&) { ++updates; };
    alone.SetUserText("x");
    EXPECT_TRUE(alone.PartEdges().empty());
    EXPECT_EQ(updates, 1);

    ASSERT_NE(status.Grip(), nullptr);
    status.SetSizeGrip(false);
    EXPECT_EQ(status.Grip(), nullptr);
    status.SetSizeGrip(true);
    EXPECT_NE(status.Grip(), nullptr);
}

TEST_F(ControlsTest, ControlsForgetAPreviewThatGoes)
{
    auto other = std::make_unique<TPreview>();
    TPreviewStatusBar bar(&form);
    bar.SetPreview(other.get());
    toolbar.SetPreview(other.get());
    EXPECT_EQ(other->LinkedControls().size(), 3u);   // bar, toolbar and its scale box
    other.reset();
    EXPECT_EQ(bar.Preview(), nullptr);
    EXPECT_EQ(toolbar.Preview(), nullptr);
    EXPECT_EQ(toolbar.ScaleBoxControl()->Text(), "not linked");
}
