#include "HelpViewer.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

QString helpSearchKey(const QString& text) {
    QString key;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            key.append(c.toCaseFolded());
    return key;
}

HelpViewer::HelpViewer(HelpBook book, QWidget* parent)
    : QDialog(parent, Qt::Window), book_(std::move(book)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(book_.title);
    resize(820, 560);

    std::stable_sort(book_.keywords.begin(), book_.keywords.end(),
                     [](const HelpBook::Entry& a, const HelpBook::Entry& b) {
                         return helpSearchKey(a.title) < helpSearchKey(b.title);
                     });

    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("HelpTabs"));

    topicList_ = new QListWidget;
    topicList_->setObjectName(QStringLiteral("TopicList"));
    for (const HelpBook::Entry& topic : book_.topics)
        topicList_->addItem(topic.title);
    connect(topicList_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        open(book_.topics.value(topicList_->row(item)).page);
    });
    connect(topicList_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        open(book_.topics.value(topicList_->row(item)).page);
    });
    tabs_->addTab(topicList_, QStringLiteral("Sommaire"));

    auto* indexPage = new QWidget;
    searchField_ = new QLineEdit;
    searchField_->setObjectName(QStringLiteral("SearchField"));
    searchField_->setPlaceholderText(QStringLiteral("Tapez le début du mot cherché"));
    keywordList_ = new QListWidget;
    keywordList_->setObjectName(QStringLiteral("KeywordList"));
    for (const HelpBook::Entry& keyword : book_.keywords)
        keywordList_->addItem(keyword.title);
    auto* show = new QPushButton(QStringLiteral("Afficher"));
    show->setObjectName(QStringLiteral("ShowKeywordButton"));
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->addWidget(searchField_);
    indexLayout->addWidget(keywordList_);
    indexLayout->addWidget(show);
    connect(searchField_, &QLineEdit::textEdited, this, &HelpViewer::findKeyword);
    connect(searchField_, &QLineEdit::returnPressed, this, &HelpViewer::openChosenKeyword);
    connect(keywordList_, &QListWidget::itemActivated, this, &HelpViewer::openChosenKeyword);
    connect(keywordList_, &QListWidget::itemDoubleClicked, this, &HelpViewer::openChosenKeyword);
    connect(show, &QPushButton::clicked, this, &HelpViewer::openChosenKeyword);
    tabs_->addTab(indexPage, QStringLiteral("Index"));

    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);

    auto* back = new QPushButton(QStringLiteral("Précédent"));
    back->setObjectName(QStringLiteral("BackButton"));
    auto* contents = new QPushButton(QStringLiteral("Sommaire"));
    contents->setObjectName(QStringLiteral("ContentsButton"));
    auto* close = new QPushButton(QStringLiteral("Fermer"));
    close->setObjectName(QStringLiteral("CloseButton"));
    // Enter in the search field opens the keyword, it must not also press a button.
    for (QPushButton* button : {show, back, contents, close})
        button->setAutoDefault(false);
    back->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(contents, &QPushButton::clicked, this, &HelpViewer::showContents);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* splitter = new QSplitter;
    splitter->addWidget(tabs_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    // The lists as wide as their longest entry, so that no title is cut.
    const int entries =
        std::max(topicList_->sizeHintForColumn(0), keywordList_->sizeHintForColumn(0));
    const int listWidth = std::max(230, entries + 2 * topicList_->frameWidth() +
                                            style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24);
    splitter->setSizes({listWidth, 590});
    resize(listWidth + 590 + 30, 560);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter);
}

void HelpViewer::open(const QUrl& page) {
    if (page.isValid() && !page.isEmpty())
        browser_->setSource(page);
}

void HelpViewer::present() {
    show();
    raise();
    activateWindow();
}

void HelpViewer::showContents() {
    tabs_->setCurrentIndex(0);
    open(book_.contents);
    present();
}

void HelpViewer::showSearch(const QString& keyword) {
    tabs_->setCurrentIndex(1);
    searchField_->setText(keyword);
    keywordList_->setCurrentRow(-1);
    if (!keyword.isEmpty())
        findKeyword(keyword);
    present();
    searchField_->setFocus();
}

void HelpViewer::showHowToUse() {
    open(book_.howToUse);
    present();
}

void HelpViewer::showContext(int context) {
    const auto page = book_.contexts.constFind(context);
    if (page == book_.contexts.constEnd()) {
        showContents();
        return;
    }
    open(*page);
    present();
}

QUrl HelpViewer::currentPage() const {
    return browser_->source();
}

void HelpViewer::findKeyword(const QString& typed) {
    const QString key = helpSearchKey(typed.trimmed());
    if (key.isEmpty())
        return;
    for (int row = 0; row < book_.keywords.size(); ++row) {
        if (helpSearchKey(book_.keywords[row].title).startsWith(key)) {
            keywordList_->setCurrentRow(row);
            keywordList_->scrollToItem(keywordList_->item(row));
            return;
        }
    }
}

void HelpViewer::openChosenKeyword() {
    const int row = keywordList_->currentRow();
    if (row >= 0 && row < book_.keywords.size())
        open(book_.keywords[row].page);
}
