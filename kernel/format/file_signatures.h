#pragma once
// The signatures that open every timetable file (66 bytes) and every
// extension file (76 bytes). A signature field holds the text, its
// terminating NUL and zero bytes up to the field's width. Readers compare the
// text and its NUL only, so the padding carries no meaning; writers always
// write it as zeros. Both the kernel's reader and the project's timetable
// writer take the texts from here, so the two can never disagree.
#include <array>
#include <cstddef>
#include <cstdint>

namespace qo {

inline constexpr size_t kTimetableSignatureSize = 66;
inline constexpr char kTimetableSignatureText[] = "Qo timetable data file";

inline constexpr size_t kExtensionSignatureSize = 76;
inline constexpr char kExtensionSignatureText[] = "Qo timetable extension file";

// The number of leading bytes a reader compares: the text and its NUL.
inline constexpr size_t kTimetableSignatureCompared = sizeof kTimetableSignatureText;
inline constexpr size_t kExtensionSignatureCompared = sizeof kExtensionSignatureText;

static_assert(kTimetableSignatureCompared <= kTimetableSignatureSize);
static_assert(kExtensionSignatureCompared <= kExtensionSignatureSize);

// The whole field as written: the text, then zeros to the field's width.
template <size_t Width, size_t N>
constexpr std::array<uint8_t, Width> PadSignature(char const (&text)[N]) {
  static_assert(N <= Width, "signature text longer than its field");
  std::array<uint8_t, Width> field{};
  for (size_t i = 0; i + 1 < N; ++i) field[i] = static_cast<uint8_t>(text[i]);
  return field;
}

inline constexpr std::array<uint8_t, kTimetableSignatureSize> kTimetableSignature =
    PadSignature<kTimetableSignatureSize>(kTimetableSignatureText);
inline constexpr std::array<uint8_t, kExtensionSignatureSize> kExtensionSignature =
    PadSignature<kExtensionSignatureSize>(kExtensionSignatureText);

}  // namespace qo
