#pragma once
// Byte-level layout of a dBASE table (.DBF), as this engine reads it. Numbers in the header are
// little-endian; values in records are texts.
//
// The header:
//   offset  size  name                 what it holds
//   0x00    1     kVersion             its low three bits: 3 (dBASE III) or 4 (dBASE IV and later)
//   0x01    3     kLastUpdate          year - 1900, month, day of the last change
//   0x04    4     kNumRecords          records, deleted ones included
//   0x08    2     kHeaderLength        bytes before the first record
//   0x0A    2     kRecordLength        bytes of one record, its deletion flag included
//   0x1D    1     kLanguageDriver      the code page of the texts (kDos866Drivers: code page 866)
//   0x20    ...   kFirstDescriptor     field descriptors of kDescriptorSize bytes each, ended by
//                                      kDescriptorsEnd
//
// A field descriptor:
//   0x00    11    kFieldName           the name, padded with zero bytes
//   0x0B    1     kFieldType           'C' text, 'N' or 'F' number, 'D' date, 'L' logical
//   0x10    1     kFieldLength         bytes of the value (a text's low byte)
//   0x11    1     kFieldDecimals       decimals of a number (a text's high length byte)
//
// A record: its deletion flag (kDeleted, or a blank), then the values in field order: texts
// padded with blanks, numbers right-aligned, dates as YYYYMMDD, logicals as one letter. The file
// may end with kEndOfFile.
#include <cstddef>

namespace tesma::engine::dbase_layout {

constexpr std::size_t kVersion = 0x00, kLastUpdate = 0x01, kNumRecords = 0x04, kHeaderLength = 0x08,
                      kRecordLength = 0x0A, kLanguageDriver = 0x1D, kFirstDescriptor = 0x20;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kFieldName = 0x00, kFieldNameLength = 11, kFieldType = 0x0B, kFieldLength = 0x10,
                      kFieldDecimals = 0x11;

// The smallest header: the fixed part and the end of an empty descriptor list.
constexpr std::size_t kMinHeaderLength = kFirstDescriptor + 1;
// The low bits of kVersion, and the versions read.
constexpr unsigned char kVersionBits = 0x07, kDbase3 = 3, kDbase4 = 4;
// Language drivers of texts in code page 866.
constexpr unsigned char kDos866Drivers[] = {0x26, 0x65};

constexpr char kDescriptorsEnd = '\x0D';
constexpr char kDeleted = '*';
constexpr char kEndOfFile = '\x1A';

}  // namespace tesma::engine::dbase_layout
