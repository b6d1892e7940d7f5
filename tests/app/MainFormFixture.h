#pragma once

#include "ScriptedDialogs.h"
#include "SpinEdit.h"
#include "TEtiq.h"
#include "TMainForm.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

// A main window over a fresh temporary start-up directory, shown as the program shows it,
// with every dialog answered from a script.
struct MainFormFixture {
    QTemporaryDir dir;
    ScriptedDialogsScope script;
    std::unique_ptr<TMainForm> form;

    explicit MainFormFixture(TMainForm::Clock clock = {}) {
        form = std::make_unique<TMainForm>(dir.path());
        if (clock)
            form->setClock(std::move(clock));
        form->resize(900, 650);
        form->show();
    }
    template <typename T = QWidget> T* find(const QString& name) const {
        T* child = form->findChild<T*>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    void click(const QString& name) const { QTest::mouseClick(find(name), Qt::LeftButton); }
    TEtiq& etiq() const { return *form->etiq(); }
    // The title as the window manager shows it: "*" where Qt's "[*]" stands while modified.
    QString shownTitle() const {
        QString title = form->windowTitle();
        return title.replace(QStringLiteral("[*]"),
                             form->isWindowModified() ? QStringLiteral("*") : QString());
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    // Makes the label one that changed since it was made.
    void addObject(const QByteArray& line) const {
        etiq().document().Lines.append(line);
        etiq().document().Modified = true;
    }
};

// Answers the label format dialog: fills its four boxes, then presses "OK" (Button2) or
// "Annuler" (Button1).
inline std::function<int(QDialog*)> formatAnswer(const QStringList& texts,
                                                 const char* button = "Button2") {
    return [=](QDialog* dialog) {
        for (int i = 0; i < texts.size(); ++i)
            dialog->findChild<SpinEdit*>(QStringLiteral("SpinEdit%1").arg(i + 1))
                ->setText(texts[i]);
        dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        return dialog->result();
    };
}

inline LineList newLabel(int width, int height, int hspacing = 0, int vspacing = 0) {
    return LineCodec::newLabel({width, height, hspacing, vspacing});
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline const QByteArray kRectLine = " 0RECT 0280280C8078\t100FFFFFF00100000000000000000C0Arial";
