#pragma once

#include <QDialog>

class Download_Control;
class Ini;
class QLabel;
class SpinArrows;
class TamskXpButton;

// The cache limit, the number of files the cache holds now, and a button that empties it.
// OK keeps the chosen limit (and writes it to the settings at once); Cancel and the close box
// keep the old one.
class Options : public QDialog {
    Q_OBJECT
public:
    Options(Download_Control& DC, Ini& INI, qint16& CasheSizeSetting, QWidget* parent = nullptr);

    static constexpr int LimitMin = 10;
    static constexpr int LimitMax = 1000;

private:
    void Form_Load();
    void KSV_Change(int value);
    void OK_Click();
    void CLCashe_Click();
    void Cancel_Click();
    void showCacheSize();

    Download_Control& m_DC;
    Ini& m_INI;
    qint16& m_CasheSizeSetting;

    QLabel* m_KS = nullptr;
    SpinArrows* m_KSV = nullptr;
    QLabel* m_TRC = nullptr;
    TamskXpButton* m_CLCashe = nullptr;
    TamskXpButton* m_OK = nullptr;
    TamskXpButton* m_Cancel = nullptr;
};
