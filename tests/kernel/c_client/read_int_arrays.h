#pragma once
// Readers compiled as C (read_int_arrays.c): the sums of what QoStKeys and
// QoFCConnID hand out, read through the pointers; -1 for none.
#ifdef __cplusplus
extern "C" {
#endif

long long SumStationKeysInC(int timetable);
long long SumServiceCodeIdsInC(int timetable);

#ifdef __cplusplus
}
#endif
