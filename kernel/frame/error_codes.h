#pragma once
// The kernel's last-error codes. The text of code n is entry 47 + n of each
// language's message table.

namespace qo {

enum KernelErrorCode : int {
  ErrNone = 0,
  ErrOpenDataFile = 1,
  ErrDataFileHeader = 2,
  ErrTimetableIndex = 3,
  ErrStationIndex = 4,
  ErrLanguageIndex = 5,
  ErrTrainIndex = 6,
  ErrFromToMissing = 7,
  ErrParameters = 8,
  ErrDate = 9,
  ErrStationsOverlap = 10,
  ErrSearchInterrupted = 11,
  ErrConnectionNotFound = 12,
  ErrFromOrToMissing = 13,
  ErrVirtListIndex = 14,
  ErrConnListEmpty = 15,
  ErrNoNextConnection = 16,
  ErrDateShiftTooBig = 17,
  ErrDateOutOfRange = 18,
  ErrSearchParmsOutOfRange = 19,
  ErrIndexOutOfRange = 20,
  ErrGlobalSearchList = 21,
  ErrObjectIndex = 22,
  ErrNotSupported = 23,
  ErrNotLoaded = 24,
  ErrExtensionHeader = 25,
  ErrConnListReleased = 30,
  ErrAccessViolation = 31,
  ErrViaMissing = 32,
  ErrConnectionId = 33,
};

}  // namespace qo
