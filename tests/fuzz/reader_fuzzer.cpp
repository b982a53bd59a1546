// Feeds arbitrary bytes to the timetable and extension readers. Inputs are
// read three ways: as a timetable file, as a lone extension (an empty
// record, as when an extension is loaded on its own), and as an extension
// of a small timetable with stations, arcs and keys, so that the GIS, QMap
// and fare set-up walks run too. Mutations of sample files get their CRC
// recomputed half of the time, as the readers would meet them with the
// checksum test switched off.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/byte_order.h"
#include "core/crc32.h"
#include "kernel/load/rich_timetable.h"
#include "load/read_extension.h"
#include "load/read_timetable.h"

namespace {

std::unique_ptr<qo::TimetableRecord> MakeHost() {
  auto host = std::make_unique<qo::TimetableRecord>();
  qo::writer::WrittenFile file = qo::writer::WriteTimetable(qo::test::RichModel(23));
  if (qo::ReadTimetableBytes(file.bytes.data(), file.bytes.size(), host.get()) != 0)
    __builtin_trap();
  return host;
}

const qo::TimetableRecord& Host() {
  static std::unique_ptr<qo::TimetableRecord> host = MakeHost();
  return *host;
}

// Touches what a query would read first, so that a view that points
// outside the image shows under AddressSanitizer here rather than later.
void Touch(const qo::TimetableRecord& t) {
  uint32_t sum = 0;
  for (int32_t i = 0; i < t.TrainStopData.size(); ++i) sum += t.TrainStopData.Field<uint32_t>(i, 0);
  for (int32_t i = 0; i < t.StationEvents.size(); ++i) sum += t.StationEvents.Field<uint16_t>(i, 0);
  for (const qo::VirtListRecord& list : t.VirtLists)
    for (int32_t i = 0; i < list.ItemStations.size(); ++i) sum += list.ItemStations[i];
  volatile uint32_t sink = sum;
  (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    qo::TimetableRecord record;
    if (qo::ReadTimetableBytes(data, size, &record) == 0) Touch(record);
  }
  bool attached = false;
  {
    qo::TimetableRecord empty;
    qo::ReadExtensionBytes(&empty, "fuzz", data, size, {}, &attached);
  }
  {
    // A fresh copy of the host per input: an attached extension stays in it.
    const qo::TimetableRecord& host = Host();
    qo::TimetableRecord record;
    qo::ReadTimetableBytes(host.ImageBytes(), static_cast<size_t>(host.ImageSize()), &record);
    qo::ReadExtensionBytes(&record, "fuzz", data, size, {}, &attached);
  }
  return 0;
}

#ifndef QO_FUZZ_REPLAY
extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  size = LLVMFuzzerMutate(data, size, maxSize);
  if ((seed & 1) && size >= 48) {
    uint32_t crc = qo::ComputeCrc32(data, size - 4);
    qo::StoreLE<uint32_t>(data + size - 4, crc);
  }
  return size;
}
#endif
