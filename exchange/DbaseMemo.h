#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class QIODevice;

namespace orvel::dbase {

// The memo file beside a dBASE table: memo texts in fixed-size blocks, an M
// field of the table naming the first block of its text (0 or blanks: no
// memo). Two layouts:
//
//   ".dbt" (dBASE III and IV): 512-byte header block, block n at n × block
//     size, little-endian numbers. dBASE III: 512-byte blocks, the text runs
//     up to the first 0x1A. dBASE IV: the block size at bytes 20-21, a block
//     starts with FF FF 08 00 and a u32 length that counts these 8 bytes.
//   ".fpt" (FoxPro, Visual FoxPro): 512-byte header with the block size at
//     bytes 6-7, block n at n × block size, starting with a u32 type and a u32
//     text length; big-endian numbers.
//
// Every block number and length is checked against the file. Bytes are read
// in bounded pieces, and all texts together may not take more bytes than the
// file holds (memos whose blocks overlap each other cannot pass), so a
// damaged file never costs more than its own size in memory or reading.
enum class MemoLayout { Dbt, Fpt };

class MemoFile
{
public:
    // `device` is open for reading and seekable; it must outlive the reader.
    // `dbase4Blocks` takes a .dbt's block size from its header (dBASE IV);
    // otherwise a .dbt has 512-byte blocks.
    MemoFile(QIODevice &device, MemoLayout layout, bool dbase4Blocks);

    // False when the header is damaged (too short, block size 0).
    bool IsValid() const { return m_blockSize != 0; }
    std::uint32_t BlockSize() const { return m_blockSize; }

    enum class Result { Empty, Text, Damaged };
    // The text that starts at `block` into `text`: Empty for block 0, Text
    // with its bytes, Damaged when the block lies inside the header or past
    // the end, its length runs past the end, or the texts read so far and
    // this one hold more bytes than the file.
    Result Read(std::uint64_t block, QByteArray &text);

private:
    Result readUpToEndMarker(std::uint64_t offset, QByteArray &text);
    bool readAt(std::uint64_t offset, std::uint64_t length, QByteArray &into);
    bool spend(std::uint64_t bytes);

    QIODevice &m_device;
    MemoLayout m_layout;
    std::uint64_t m_size = 0;
    std::uint32_t m_blockSize = 0;
    std::uint64_t m_budget = 0; // bytes the remaining texts may still take
};

// FoxPro and Visual FoxPro tables, whose memo files are ".fpt" files.
bool IsFoxProVersion(unsigned char version);

// The memo file of the table at `tablePath`: the table's name with ".fpt"
// (FoxPro tables) or ".dbt" (the others) in any case; the other extension
// when no such file exists. Empty when there is none.
QString FindMemoFile(const QString &tablePath, bool foxPro);

} // namespace orvel::dbase
