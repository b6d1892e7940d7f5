#pragma once

#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

// A help text made of HTML pages: what the viewer shows and how it finds its way.
struct HelpBook {
    struct Entry {
        QString title;
        QUrl page;
    };
    QString title;
    QUrl contents;
    QUrl howToUse;
    QList<Entry> topics;   // the contents list, in reading order
    QList<Entry> keywords; // the index; the viewer sorts it
    QHash<int, QUrl> contexts;
};

// The program's help window: a contents list, a keyword index with a search field and
// the page itself. It stays open beside the work, so it is not modal.
class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(HelpBook book, QWidget* parent = nullptr);

    void showContents();
    // Opens the index with the keyword in the search field, the nearest entry chosen.
    void showSearch(const QString& keyword);
    void showHowToUse();
    // A context number the book does not know opens the contents.
    void showContext(int context);

    QUrl currentPage() const;
    const HelpBook& book() const { return book_; }

private:
    void open(const QUrl& page);
    void present();
    void findKeyword(const QString& typed);
    void openChosenKeyword();

    HelpBook book_;
    QTabWidget* tabs_;
    QListWidget* topicList_;
    QLineEdit* searchField_;
    QListWidget* keywordList_;
    QTextBrowser* browser_;
};

// Text compared without case or accents, as an index is searched.
QString helpSearchKey(const QString& text);
