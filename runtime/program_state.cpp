#include "runtime/program_state.h"

std::atomic<bool> ExitRequested{false};
std::atomic<int> ExitCode{0};

int ArgCount = 0;
const char* ArgList[MaxArguments] = {};

bool DebugOn = false;
bool DetailedDebugOn = false;
int16_t PortNumber = 0;
String PortPath;
uint32_t BaudRate = 19200;
bool EvenParity = false;
String JobFile;
int8_t ReportLevel = 0;

void (*StopHandler)() = nullptr;
void (*CommTraceHook)(const String& line) = nullptr;
void (*StdoutHook)(char c) = nullptr;

std::atomic<bool> ConsoleReady{false};
std::recursive_mutex ConsoleLock;

std::atomic<bool> Exiting{false};
