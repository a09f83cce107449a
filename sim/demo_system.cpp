#include "sim/demo_system.h"

#include "runtime/check.h"

std::string_view DemoSystemText() {
  return R"(# The demo system: a KD6 display on the PC's port, a KT7 transmitter and a KR5
# remote I/O unit behind it on the system network.

[unit 5]
Attached = yes
Program = software
Speed = 19200
Parity = none
BootLoaderSpeed = 9600
RestartTime = 1500
ReadyAfter = 500
VirtualComPort = no
Card = 653
Circuit = 2
Revision = B3
Software = 6.12r41
BuildIncrement = 7
SerialNumber = 2318842
Product = 61
UnitFlags = 0x01
BuildTime = 2024-05-17 09:30:00
Information = Silo 3 discharge
Mcu = LPC4337
BootLoaderType = 1
BootLoaderVersion = 2
BootLoaderRelease = 18
BootFlags = 0x00
Checksum = 0x5C3A91E4
SoftwareCrc = 0x7B12
BufferSize = 4096
DebugLogs = 0x0301, 0x0302
Setting = 8044, 102, 0, 1, kg
Setting = 8060, 5000, 0, 5, kg
Setting = 8120, 0.5, 1, 1, s
Setting = 8910, 0, 0, 1, kg
Setting = 8912, 0, 0, 1, kg
Setting = 8124, 2.0004, 4, 1, mV/V
Setting = 8332, 4500, 0, 5, kg
Setting = 8740, 1250, 1, 5, kg
Setting = 8700, 1180, 1, 5, kg
Setting = 8800, 9.2, 2, 1, mA

[unit 2]
Card = 659
Circuit = 1
Revision = A2
Software = 6.12r41
BuildIncrement = 7
SerialNumber = 2320117
UnitFlags = 0x01
BuildTime = 2024-05-17 09:41:12
Information = Silo 3 load cells
BootLoaderVersion = 2
BootLoaderRelease = 18
Checksum = 0x1E88C02B
SoftwareCrc = 0x40D5
Setting = 1, 3000, 0, 1, kg

[unit 9]
Card = 649
Circuit = 3
Revision = C1
Software = 6.08r12
BuildIncrement = 3
SerialNumber = 2209455
UnitFlags = 0x01
BuildTime = 2023-11-02 14:05:51
Information = Discharge gate I/O
BootLoaderVersion = 1
BootLoaderRelease = 14
Checksum = 0x00A4F7C9
SoftwareCrc = 0x93E0
)";
}

SystemDescription DemoSystem() {
  SystemDescription system;
  std::string error;
  Assert(ReadSystemText(DemoSystemText(), system, error));
  return system;
}
