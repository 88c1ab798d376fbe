#include "media/PictureCache.h"

#include "media/PictureDecoder.h"

#include <QDateTime>
#include <QFileInfo>

namespace orvel {

PictureCache &PictureCache::Instance()
{
    static PictureCache cache;
    return cache;
}

BitmapPtr PictureCache::Load(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return nullptr;
    const QString key = info.absoluteFilePath();
    const qint64 size = info.size();
    const qint64 changed = info.lastModified().toMSecsSinceEpoch();
    auto &list = m_entries;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->path != key)
            continue;
        if (it->size == size && it->changed == changed) {
            list.splice(list.begin(), list, it);
            return list.front().bitmap;
        }
        // The file changed since: decode it anew.
        m_used -= it->bytes;
        list.erase(it);
        break;
    }
    int format = 0;
    BitmapPtr bitmap = DecodePicture(path, &format);
    if (!bitmap)
        return nullptr;
    const std::int64_t bytes = std::int64_t(bitmap->width()) * bitmap->height() * 4;
    if (bytes <= m_budget) {
        list.push_front(Entry{key, size, changed, bitmap, bytes});
        m_used += bytes;
        evict();
    }
    return bitmap;
}

void PictureCache::Clear()
{
    m_entries.clear();
    m_used = 0;
}

void PictureCache::SetBudget(std::int64_t bytes)
{
    m_budget = bytes;
    evict();
}

int PictureCache::Count() const
{
    return int(m_entries.size());
}

void PictureCache::evict()
{
    auto &list = m_entries;
    while (m_used > m_budget && !list.empty()) {
        m_used -= list.back().bytes;
        list.pop_back();
    }
}

} // namespace orvel
