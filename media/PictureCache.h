#pragma once

#include "platform/Bitmap.h"

#include <QString>

#include <cstdint>
#include <list>

namespace orvel {

// Decoded pictures of files, kept by path (with the file's size and time of
// change) so that records naming the same few photos decode each of them
// once, not at every record change. The least recently used pictures go
// first once the budget of pixels is spent.
class PictureCache
{
public:
    // The program's cache.
    static PictureCache &Instance();

    // The file's picture, decoded through the registered decoders on the
    // first request; null when it cannot be read.
    BitmapPtr Load(const QString &path);
    void Clear();

    // At most this many bytes of decoded pixels (4 per pixel) are kept; a
    // picture larger than the whole budget is decoded but not kept.
    void SetBudget(std::int64_t bytes);
    int Count() const;

private:
    struct Entry
    {
        QString path;
        qint64 size = 0;
        qint64 changed = 0;
        BitmapPtr bitmap;
        std::int64_t bytes = 0;
    };
    PictureCache() = default;
    void evict();

    // Most recently used first.
    std::list<Entry> m_entries;
    std::int64_t m_budget = std::int64_t(384) << 20;
    std::int64_t m_used = 0;
};

} // namespace orvel
