// The guarded heap for the run-time's fixed-size records (file records, folder
// scans): each block carries a magic word, its size and guards before and after
// the payload, checked when it is freed.
#pragma once

#include <source_location>

void* AllocateRecord(int size, std::source_location where = std::source_location::current());
void FreeRecord(void* payload, std::source_location where = std::source_location::current());
