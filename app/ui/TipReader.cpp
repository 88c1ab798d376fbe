#include "app/ui/TipReader.h"

#include "platform/Codepage.h"

#include <QFileInfo>

#include <ctime>

namespace orvel {

namespace {

bool isTip(const QByteArray &line)
{
    if (line.isEmpty())
        return false;
    const char first = line.front();
    return first != ' ' && first != '\t' && first != '\n' && first != '\r' && first != ';';
}

} // namespace

TipReader::TipReader(const QString &path)
    : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        return;
    // A folder opens as a file on some systems and reads nothing.
    if (!QFileInfo(path).isFile())
        m_file.close();
}

QString TipReader::TimeText() const
{
    const std::time_t stamp = QFileInfo(m_file.fileName()).lastModified().toSecsSinceEpoch();
    const char *text = std::ctime(&stamp);
    QString result = text ? QString::fromLatin1(text) : QString();
    while (result.endsWith(u'\n'))
        result.chop(1);
    return result;
}

bool TipReader::Seek(qint64 offset)
{
    if (!IsOpen() || offset < 0)
        return false;
    if (offset > m_file.size())
        offset = 0;
    return m_file.seek(offset);
}

QString TipReader::Next()
{
    if (!IsOpen())
        return {};
    char buffer[kLineLimit];
    bool wrapped = false;
    while (true) {
        const qint64 length = m_file.readLine(buffer, kLineLimit);
        if (length <= 0) {
            // At the end, round to the top; a second end in one call means
            // the file holds no tip at all.
            if (wrapped || !m_file.seek(0))
                return {};
            wrapped = true;
            continue;
        }
        QByteArray line(buffer, int(length));
        if (!isTip(line))
            continue;
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        line.replace("\\n", "\n");
        line.replace('\0', ' ');
        return AnsiToQString(AnsiView(line.constData(), std::size_t(line.size())));
    }
}

} // namespace orvel
