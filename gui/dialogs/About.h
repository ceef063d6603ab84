#pragma once

#include "gui/widgets/ReadingOrder.h"

#include <QDialog>

class LinkLabel;
class QLabel;
class TamskXpButton;

// Product name, version, the site's logo and a link to the maker's web page.
class About : public QDialog, public ReadingOrder {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);

    QList<QWidget*> readingOrder() const override;

private:
    void Form_Load();
    void OK_Click();
    void Label6_Click();

    QLabel* m_Label4 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLabel* m_Label1 = nullptr;
    LinkLabel* m_Label6 = nullptr;
    TamskXpButton* m_OK = nullptr;
};
