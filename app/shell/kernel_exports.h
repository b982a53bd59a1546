#pragma once
// The one list of the kernel's exports the program binds. LoadKernel
// resolves every one of them at start-up, so that a kernel that lacks one is
// refused with a message instead of failing in the middle of a session.
// Add a line here (and nothing else) to use a further export.
// No include: the test kernel in tests/app builds its stand-ins from it.
#define VEMO_KERNEL_EXPORTS(X) \
  X(QoVer)                     \
  X(QoError)                   \
  X(QoPeekError)               \
  X(QoErrorText)               \
  X(QoSetDia)                  \
  X(QoQoCount)                 \
  X(QoDMYToDate)               \
  X(QoDateToDMY)               \
  X(QoToday)                   \
  X(QoInit2)                   \
  X(QoCloseQo)                 \
  X(QoVerifyCrc)               \
  X(QoVerifyBuffer)            \
  X(QoMakeListExt)             \
  X(QoNameCompare)             \
  X(QoSkipExtension)           \
  X(QoQoInfo)                  \
  X(QoTrCategory)              \
  X(QoGetLangIndex)            \
  X(QoGetDateRemOptions)       \
  X(QoSetDateRemOptions)       \
  X(QoFCMarks)                 \
  X(QoGetResExtension)         \
  X(QoTrTypeCount)             \
  X(QoGetExtensions)           \
  X(QoTrainRoute)              \
  X(QoTrainStationInfo)        \
  X(QoTrainStationInfoExt)     \
  X(QoStName)                  \
  X(QoStKey)                   \
  X(QoStType)                  \
  X(QoSearchVirtList)          \
  X(QoMapVirtListItem)         \
  X(QoVirtListItemKey)         \
  X(QoVirtListItem)
