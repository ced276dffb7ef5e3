#pragma once

// Inside the store copy: the two sides of each kind of store, seen by
// StoreCopy.cpp (files) and StoreCopyServer.cpp (servers) only.

#include <QByteArrayView>
#include <QString>

#include <array>
#include <functional>
#include <memory>

namespace StoreCopy
{
// section, key, value, section_fold, key_fold as stored, in UTF-8.
using Fields = std::array<QByteArrayView, 5>;

// The count of keys and a checksum of their texts that needs no order: the
// sums of the first and second 32 bits of each key's MD5 over its fields,
// each preceded by its length in bytes, so that no field can pass for part
// of another. A server computes the same in SQL.
struct Digest
{
    qint64 count = 0;
    qint64 first = 0;
    qint64 second = 0;
    void add(const Fields& fields);
    bool operator==(const Digest& other) const;
    // Which figure differs, for the message.
    QString against(const Digest& copied) const;
};

// Every key in one snapshot; read() stops at the first problem row() returns.
class Source
{
public:
    virtual ~Source() = default;
    virtual QString open() = 0;
    using Row = std::function<QString(const Fields& fields)>;
    virtual QString read(const Row& row) = 0;
};

// One transaction from begin() to commit(); destroyed before, it leaves the
// target as it was.
class Target
{
public:
    virtual ~Target() = default;
    virtual QString begin(bool replace) = 0;
    virtual QString put(const Fields& fields) = 0;
    // The rows put, sent; what the target then holds, counted and summed.
    virtual QString readBack(Digest& held) = 0;
    virtual QString commit() = 0;
};

std::unique_ptr<Source> fileSource(const QString& path);
std::unique_ptr<Target> fileTarget(const QString& path);
std::unique_ptr<Source> serverSource(const QString& conninfo);
std::unique_ptr<Target> serverTarget(const QString& conninfo);
} // namespace StoreCopy
