// Record views and files: any bytes, any record size, no read past the buffer.
#include <exception>

#include "base/records.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    if (size < 1) return 0;
    const std::size_t recordSize = 1 + data[0] % 64;
    try {
        RecordView v(std::span(data, size));
        for (std::size_t off = 0; off < size; ++off) {
            (void)v.ShortString(off, recordSize);
            (void)v.Int16(off);
            (void)v.Int32(off);
            (void)v.Double(off);
        }
    } catch (const std::exception&) {
    }
    try {
        RecordFileReader reader(fuzz::WriteInput("records.dat", data + 1, size - 1), recordSize);
        while (reader.Next())
            (void)reader.Current().ShortString(0, recordSize - 1);
    } catch (const std::exception&) {
    }
    return 0;
}
