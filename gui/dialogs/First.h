#pragma once

#include "gui/widgets/ReadingOrder.h"

#include <QDialog>

class QLabel;
class TamskXpButton;

// The greeting shown once, on the very first start, before the Main window appears.
class First : public QDialog, public ReadingOrder {
    Q_OBJECT
public:
    explicit First(QWidget* parent = nullptr);

    QList<QWidget*> readingOrder() const override;

private:
    void Form_Load();
    void OK_Click();

    QLabel* m_Label1 = nullptr;
    QLabel* m_Label2 = nullptr;
    TamskXpButton* m_OK = nullptr;
};
