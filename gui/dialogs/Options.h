#pragma once

#include "core/platform/FileIo.h"
#include "gui/widgets/ReadingOrder.h"

#include <QDialog>
#include <functional>

class QLabel;
class ResponseCache;
class SpinArrows;
class TamskXpButton;

// The cache limit, the number of files the cache holds now, and a button that empties it.
// OK accepts the chosen limit, which the window then keeps and saves at once; Cancel and the
// close box keep the old one.
class Options : public QDialog, public ReadingOrder {
    Q_OBJECT
public:
    Options(ResponseCache& cache, qint16 CasheSizeSetting, QWidget* parent = nullptr);

    QList<QWidget*> readingOrder() const override;

    // The limit as it stands: the one the dialog opened with until OK takes the chosen one.
    qint16 CasheSizeSetting() const { return m_CasheSizeSetting; }

    // What empties the cache; the cache's own clear unless given. One that fails with
    // FileIo::Reason::Busy (a run elsewhere uses the cache) is told on the button.
    using ClearFunction = std::function<FileIo::Error()>;
    void setClearCashe(ClearFunction clear) { m_clear = std::move(clear); }

    static constexpr int LimitMin = 10;
    static constexpr int LimitMax = 1000;

private:
    void Form_Load();
    void KSV_Change(int value);
    void OK_Click();
    void CLCashe_Click();
    void Cancel_Click();
    void showCacheSize();

    ResponseCache& m_cache;
    qint16 m_CasheSizeSetting;
    ClearFunction m_clear;

    QLabel* m_Label2 = nullptr;
    QLabel* m_KS = nullptr;
    QLabel* m_Label1 = nullptr;
    QLabel* m_Label3 = nullptr;
    QLabel* m_Label5 = nullptr;
    SpinArrows* m_KSV = nullptr;
    QLabel* m_TRC = nullptr;
    TamskXpButton* m_CLCashe = nullptr;
    TamskXpButton* m_OK = nullptr;
    TamskXpButton* m_Cancel = nullptr;
};
