#pragma once

#include <QByteArray>
#include <QString>

// The five values kept in "options.ini", section "Main", with the values of a first start.
// Texts are the file's bytes (Windows-1251).
struct Settings {
    static constexpr qint16 PageCountMin = 1;
    static constexpr qint16 PageCountMax = 3000;

    qint16 DownloadImages = 10;
    bool UseProxy = false;
    QByteArray ProxyName = "127.0.0.1";
    QByteArray ProxyPort = "8080";
    qint16 CasheSize = 300;

    // Reads the five keys in their order. A page count outside 1..3000 (a hand-edited file) is
    // brought to the nearer bound; a missing key reads as the settings file reads it ("", false,
    // 0).
    static Settings load(const QString& optionsPath);

    // Writes the five keys in their order, creating an empty file first when there is none.
    // A file that cannot be written keeps what it holds; nothing is reported but a log line.
    void save(const QString& optionsPath) const;

    // The cache dialog's OK: "CasheSize" alone.
    static void saveCasheSize(const QString& optionsPath, qint16 limit);

    static qint16 clampPageCount(int count);
};
