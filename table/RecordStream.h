#pragma once

#include "platform/AnsiString.h"

#include <cstddef>
#include <cstdint>

namespace orvel {

// Records that are converted while a database file is written, instead of
// being made into a table's records first: a batch conversion of a whole
// file into a database file then needs no memory for its records. The table
// the stream belongs to has the fields and no records; the stream reads its
// records in blocks, several blocks at once on threads of their own.
class RecordStream
{
public:
    // Takes each record a stream reads: its values by display position,
    // `count` of them (the fields after them are empty).
    class Sink
    {
    public:
        virtual void Take(const AnsiView *values, int count) = 0;

    protected:
        ~Sink() = default;
    };

    virtual ~RecordStream() = default;

    // At most this many records come.
    virtual std::size_t Capacity() const = 0;
    // How many threads may read at once.
    virtual int Parts() const = 0;
    // Before the first Read: threads 0 to parts - 1 will read.
    virtual void Begin(int parts) = 0;
    // Reads the records [first, first + count) on thread `part` and hands
    // each to `sink`, in order. Returns how many were read: fewer where the
    // records end (the records after them are none, whatever other calls
    // read). May throw std::bad_alloc.
    virtual std::size_t Read(std::size_t first, std::size_t count, int part, Sink &sink) = 0;
    // Whether reading failed with an error: the records read are then not
    // what the file holds.
    virtual bool Failed() const = 0;
    // The modification time every record gets (seconds since 1970 UTC).
    virtual std::uint32_t ModificationTime() const = 0;
    // Once the records are written: the first `records` of them were taken.
    // Tells the user what the reading found on the way, as reading into a
    // table would have.
    virtual void Finish(std::size_t records) = 0;
};

} // namespace orvel
