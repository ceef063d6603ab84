#pragma once

#include <QDialog>

class TamskXpButton;

// The greeting shown once, on the very first start, before the Main window appears.
class First : public QDialog {
    Q_OBJECT
public:
    explicit First(QWidget* parent = nullptr);

private:
    void Form_Load();
    void OK_Click();

    TamskXpButton* m_OK = nullptr;
};
