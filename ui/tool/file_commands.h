// The buttons of the selected unit's side of the main window: Refresh, the three
// file transfers and the setup load, and the hidden Menu.
#pragma once

void OnRefreshClick(void* form);
void OnGenerateModbusClick(void* form);
void OnGenerateFieldbusClick(void* form);
void OnSaveSetupClick(void* form);
void OnLoadSetupClick(void* form);
void OnMenuClick(void* form);
