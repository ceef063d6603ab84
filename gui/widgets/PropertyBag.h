#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

// The saved design of one control in its host window: named values, keys compared without regard
// to case. A value equal to its write default is left out, so reading it back yields the read
// default instead.
class PropertyBag {
public:
    QVariant ReadProperty(const QString& name, const QVariant& defaultValue = {}) const;
    // Stores the value unless it equals writeDefault (an invalid default means "always store").
    void WriteProperty(const QString& name, const QVariant& value,
                       const QVariant& writeDefault = {});

    bool contains(const QString& name) const;
    void remove(const QString& name);
    void clear() { m_values.clear(); }
    int size() const { return int(m_values.size()); }
    // Keys in lower case, sorted.
    QStringList keys() const;

private:
    QHash<QString, QVariant> m_values; // keyed by the lower-case name
};
