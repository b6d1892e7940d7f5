#pragma once

#include "LabelDialogs.h"
#include "ScriptedDialogs.h"
#include "TEtiq.h"
#include "ToolBarSource.h"

#include <QPoint>
#include <QStringList>

// A tool bar whose state a test sets, recording what the label window tells it.
class FakeToolBar : public ToolBarSource {
public:
    ToolBarState state;
    QString status;
    QList<int> penWidthsShown;
    ToolBarState GetStyles() override { return state; }
    void setPenWidthField(int width) override { penWidthsShown.append(width); }
    void showStatus(const QString& text) override { status = text; }
};

// The label window's dialogs answered from a list: the text editor gives `texts` in turn.
class FakeLabelDialogs : public LabelDialogs {
public:
    QStringList texts;
    int textRuns = 0;
    QString editText() override {
        ++textRuns;
        return texts.isEmpty() ? QString() : texts.takeFirst();
    }
    int objectList(LineList&) override { return -1; }
    void properties(const QString&, const LineList&) override {}
    int preview(SheetJob& job) override { return job.setup.zoom; }
    void print(const SheetJob&, int) override {}
    // What the object and background dialogs give back, and what they were given.
    QByteArray modifiedLine;
    QPoint move;
    QPoint resize;
    QByteArray backgroundRecord;
    QList<QByteArray> given;
    QByteArray modifyObject(const QByteArray& line) override {
        given.append(line);
        return modifiedLine;
    }
    QPoint moveOf(const LabelRect&) override { return move; }
    QPoint resizeOf(const LabelRect&) override { return resize; }
    // What the new-barcode dialog gives, and how often it opened.
    std::optional<NewBarcode> barcode;
    int barcodeRuns = 0;
    std::optional<NewBarcode> newBarcode() override {
        ++barcodeRuns;
        return barcode;
    }
    QByteArray background(const QByteArray& record) override {
        given.append(record);
        return backgroundRecord;
    }
};

// A label window on a 100 x 80 mm label with a fake tool bar and scripted dialogs, and
// pointer gestures as the mouse gives them.
struct LabelWindowFixture {
    ScriptedDialogsScope script;
    FakeToolBar toolBar;
    FakeLabelDialogs dialogs;
    TEtiq etiq;
    LineList clipboard;

    explicit LabelWindowFixture(int toolNumber = 1, const LineList& objects = {}) {
        toolBar.state.toolNumber = toolNumber;
        etiq.setToolBarSource(&toolBar);
        etiq.setLabelDialogs(&dialogs);
        etiq.SetDim(100, 80, 0, 0);
        etiq.RestoreStyles();
        etiq.document().Lines += objects;
        etiq.document().Modified = false;
    }
    LineList objects() const { return etiq.document().Lines.mid(2); }
    QByteArray line(int i) const { return etiq.document().Lines[i]; }

    // A press, two moves and a left release.
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        etiq.FormMouseDown(from.x(), from.y(), modifiers);
        etiq.FormMouseMove((from.x() + to.x()) / 2, (from.y() + to.y()) / 2);
        etiq.FormMouseMove(to.x(), to.y());
        etiq.PaintBox1Click();
        etiq.FormMouseUp(to.x(), to.y());
    }
    // The pointer first hovers over the press point, as a real one does, so the cursor
    // zone of a selection is known at the press.
    void hoverDrag(QPoint from, QPoint to) {
        etiq.FormMouseMove(from.x(), from.y());
        etiq.FormMouseDown(from.x(), from.y());
        etiq.FormMouseMove(to.x(), to.y());
        etiq.PaintBox1Click();
        etiq.FormMouseUp(to.x(), to.y());
    }
    void click(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        etiq.FormMouseDown(at.x(), at.y(), modifiers);
        etiq.PaintBox1Click();
        etiq.FormMouseUp(at.x(), at.y());
    }
    void doubleClick(QPoint at) {
        click(at);
        etiq.PaintBox1DblClick();
        etiq.FormMouseDown(at.x(), at.y());
        etiq.FormMouseUp(at.x(), at.y());
    }
};
