#pragma once

#include <QDialog>

#include <memory>

class QButtonGroup;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QTimer;
class QToolButton;
class SystemClock;

// The clock "Horloge": the time and date, ticking every second, and a set mode in which the
// fields are adjusted with the arrows and then given to the computer's clock.
class THorloge : public QDialog {
    Q_OBJECT
public:
    explicit THorloge(QWidget* parent = nullptr);
    ~THorloge() override;

    // The clock read and set; the machine's own unless a test puts another.
    void setClock(std::shared_ptr<SystemClock> clock);

    void FormActivate();
    void FormDeactivate();
    void Timer1Timer();
    void SpinButton1UpClick();
    void SpinButton1DownClick();
    void Button2Click();
    // Sets the computer's clock from the displays.
    void Modifie();
    void Button1Click();
    bool setMode() const { return setMode_; }

    QLabel* Label1 = nullptr; // time, HH:mm:ss
    QLabel* Label2 = nullptr; // date, dd/MM/yyyy
    QGroupBox* RadioGroup1 = nullptr;
    QWidget* SpinButton1 = nullptr;
    QToolButton* UpButton = nullptr;
    QToolButton* DownButton = nullptr;
    QPushButton* Button1 = nullptr; // "Fermer"
    QPushButton* Button2 = nullptr; // "Set"
    QTimer* Timer1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void adjust(int step);
    void refresh();

    std::shared_ptr<SystemClock> clock_;
    QButtonGroup* fields_ = nullptr;
    bool setMode_ = false;
};
