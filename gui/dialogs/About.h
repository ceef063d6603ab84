#pragma once

#include <QDialog>

class TamskXpButton;

// Product name, version, the site's logo and a link to the maker's web page.
class About : public QDialog {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);

private:
    void Form_Load();
    void OK_Click();
    void Label6_Click();

    TamskXpButton* m_OK = nullptr;
};
