/* A client in C reads the int arrays the kernel hands out the way C code
   does: straight through the pointer. Built with the sanitizers, a pointer
   into the file image at an odd offset stops the test here. */
#include "Qo.h"

#include "kernel/c_client/read_int_arrays.h"

long long SumStationKeysInC(int timetable) {
  const int* keys = QoStKeys(timetable);
  long long sum = 0;
  int i;
  if (!keys) return -1;
  for (i = 0; i < QoStCount(timetable); ++i) sum += keys[i];
  return sum;
}

long long SumServiceCodeIdsInC(int timetable) {
  const int* ids = 0;
  long long sum = 0;
  int count = QoFCConnID(timetable, &ids);
  int i;
  if (!ids) return -1;
  for (i = 0; i < count; ++i) sum += ids[i];
  return sum;
}
