#pragma once

#include <QPushButton>

// The "Annuler" (Button1) and "OK" (Button2) pair of the program's dialogs.
struct CancelOkButtons {
    QPushButton* cancel = nullptr;
    QPushButton* ok = nullptr;
};

// Whether Enter presses a button: the dialog's default one as Qt does it, or none, so that a
// value typed into a box is only taken by a click on "OK".
enum class EnterPresses { TheDefault, Nothing };

inline CancelOkButtons makeCancelOkButtons(QWidget* parent, EnterPresses enter) {
    CancelOkButtons buttons{new QPushButton(QStringLiteral("Annuler"), parent),
                            new QPushButton(QStringLiteral("OK"), parent)};
    buttons.cancel->setObjectName(QStringLiteral("Button1"));
    buttons.ok->setObjectName(QStringLiteral("Button2"));
    if (enter == EnterPresses::Nothing)
        for (QPushButton* button : {buttons.cancel, buttons.ok})
            button->setAutoDefault(false);
    return buttons;
}
