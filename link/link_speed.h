// The link's current speed and reply time-out, the ways of changing the PC side's
// speed, and the saved connection speed restored after a unit was moved to another.
#pragma once

#include <cstdint>

inline constexpr uint16_t ShortPacketTimeout = 50;
inline constexpr uint16_t MediumPacketTimeout = 100;
inline constexpr uint16_t LongPacketTimeout = 1000;

// Forgets the held packets and sets the reply time-out.
void SetPacketTimeout(uint16_t milliseconds);
// direct: change the open port's speed in place; otherwise close and reopen it.
bool ChangePacketBaudRate(uint32_t speed, bool evenParity, uint16_t milliseconds, bool direct);
void SaveConnectionBaudRate();
// Failure is fatal: the program could no longer know the unit's speed.
void RestoreConnectionBaudRate(uint16_t milliseconds);
// The line time of `bytes` at `speed`, 11 bit times a byte.
uint32_t TransmitTimeMs(uint32_t bytes, uint32_t speed);
