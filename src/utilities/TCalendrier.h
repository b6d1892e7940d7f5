#pragma once

#include <QDialog>

class QCalendarWidget;
class QKeyEvent;
class QLabel;
class QPushButton;

// The calendar "Calendrier": a month grid, weeks starting on Sunday, paged month by month
// with the "Mois" buttons or Page Up and Page Down. The grid stays where the user left it.
class TCalendrier : public QDialog {
    Q_OBJECT
public:
    explicit TCalendrier(QWidget* parent = nullptr);

    void FormActivate();
    // Shows the month and year of the grid's date in the heading.
    void Calendar1Change();
    void BitBtn1Click(); // previous month
    void BitBtn2Click(); // next month
    // Page Up and Page Down page the grid; true when the key was one of them.
    bool Calendar1KeyDown(QKeyEvent* event);
    void Button1Click();

    QCalendarWidget* Calendar1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void page(int months);
};
