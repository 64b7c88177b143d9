// The host's variables and services, in the order in which the plug-in resolves them by name,
// and the variables the plug-in defines to the host. Each list serves the plug-in's binding
// and the stand-in host.
#pragma once

// X(name as the host spells it, field name, may the host answer 0)
#define PEMO_HOST_VARIABLES(X)                                                                     \
    X("hInstPemo", hInstPemo, false)                                                               \
    X("MainMenu", MainMenu, false)                                                                 \
    X("GlobalModuleClass", GlobalModuleClass, false)                                               \
    X("&hwndDesk", hwndDeskAddress, false)                                                         \
    X("&Module", ModuleAddress, false)                                                             \
    X("&ViewModule", ViewModuleAddress, false)                                                     \
    X("&wNumberOfModules", wNumberOfModulesAddress, false)                                         \
    X("&uiHighModuleNumber", uiHighModuleNumberAddress, false)                                     \
    X("&CurrentModule", CurrentModuleAddress, false)                                               \
    X("&CurrentModulePtr", CurrentModulePtrAddress, false)                                         \
    X("uiVersionsTyp", uiVersionsTyp, false)                                                       \
    X("uiDistributorTyp", uiDistributorTyp, false)                                                 \
    X("bDateDayLeadingZero", bDateDayLeadingZero, true)                                            \
    X("bDateMonthLeadingZero", bDateMonthLeadingZero, true)                                        \
    X("bDateYearLong", bDateYearLong, true)                                                        \
    X("wDateFormat", wDateFormat, true)                                                            \
    X("bTime24h", bTime24h, true)                                                                  \
    X("bTimeLeadingZero", bTimeLeadingZero, true)                                                  \
    X("TimeTrenn", TimeTrenn, false)                                                               \
    X("DezTrenn", DezTrenn, false)                                                                 \
    X("bDecLeadingZero", bDecLeadingZero, true)                                                    \
    X("DateTrenn", DateTrenn, false)                                                               \
    X("&bDisplayWithoutWnd", bDisplayWithoutWndAddress, false)                                     \
    X("&bPauseIsDisabled", bPauseIsDisabledAddress, false)                                         \
    X("&LAYER_OutputParam", LAYER_OutputParamAddress, false)                                       \
    X("&StreamOptionen", StreamOptionenAddress, false)                                             \
    X("&TempStreamOptionen", TempStreamOptionenAddress, false)                                     \
    X("&CJ_Refs", CJ_RefsAddress, false)                                                           \
    X("&CJ_Temp", CJ_TempAddress, false)                                                           \
    X("hBitChannel", hBitChannel, false)                                                           \
    X("hBitLessMore", hBitLessMore, false)                                                         \
    X("hDkGrayPen", hDkGrayPen, false)                                                             \
    X("hPipePenRed", hPipePenRed, false)                                                           \
    X("hPipePenGreen", hPipePenGreen, false)                                                       \
    X("hLightRedBrush", hLightRedBrush, false)                                                     \
    X("hGreenBrush", hGreenBrush, false)                                                           \
    X("InitialStartupDir", InitialStartupDir, false)                                               \
    X("ExeFileDir", ExeFileDir, false)                                                             \
    X("NameOfFlowChart", NameOfFlowChart, false)                                                   \
    X("FullNameOfFlowChart", FullNameOfFlowChart, false)                                           \
    X("ProgFileNameIni", ProgFileNameIni, false)                                                   \
    X("DefStreamingDir", DefStreamingDir, false)                                                   \
    X("DefFlowchartDir", DefFlowchartDir, false)                                                   \
    X("DefDataDir", DefDataDir, false)                                                             \
    X("DefDeviceDir", DefDeviceDir, false)                                                         \
    X("DefUtilityDir", DefUtilityDir, false)                                                       \
    X("GlobalFlowChartInfo.Author", GlobalFlowChartInfo_Author, false)                             \
    X("GlobalFlowChartInfo.Company", GlobalFlowChartInfo_Company, false)                           \
    X("GlobalFlowChartInfo.Department", GlobalFlowChartInfo_Department, false)                     \
    X("GlobalFlowChartInfo.Title", GlobalFlowChartInfo_Title, false)                               \
    X("GlobalFlowChartInfo.Info", GlobalFlowChartInfo_Info, false)                                 \
    X("DapSetup", DapSetup, false)                                                                 \
    X("&ExperimentStartTime", ExperimentStartTimeAddress, false)                                   \
    X("&StartingTimeTicks", StartingTimeTicksAddress, false)                                       \
    X("&SysInfo", SysInfoAddress, false)                                                           \
    X("&SysOpt", SysOptAddress, false)                                                             \
    X("&SerialOpt", SerialOptAddress, false)                                                       \
    X("&DdeInstance", DdeInstanceAddress, false)                                                   \
    X("&ToolTip", ToolTipAddress, false)                                                           \
    X("&nWindowOrder", nWindowOrderAddress, false)

// X(name as the host spells it, field name, field type); HostEntry for services the plug-in never
// calls
#define PEMO_HOST_SERVICES(X)                                                                      \
    X("NewMemAlloc", NewMemAlloc, NewMemAllocFn)                                                   \
    X("NewMemReAlloc", NewMemReAlloc, HostEntry)                                                   \
    X("NewDoMemFree", NewDoMemFree, NewDoMemFreeFn)                                                \
    X("DefineDllModule", DefineDllModule, DefineDllModuleFn)                                       \
    X("DefineDllVariable", DefineDllVariable, DefineDllVariableFn)                                 \
    X("RegisterModuleClass", RegisterModuleClass, RegisterModuleClassFn)                           \
    X("PerformDefaultAction", PerformDefaultAction, PerformDefaultActionFn)                        \
    X("NewReleaseOutputBlock", NewReleaseOutputBlock, NewReleaseOutputBlockFn)                     \
    X("GetCurrentOutputBlock", GetCurrentOutputBlock, GetCurrentOutputBlockFn)                     \
    X("GetInputFifo", GetInputFifo, HostEntry)                                                     \
    X("GetInputBlock", GetInputBlock, GetInputBlockFn)                                             \
    X("NewReleaseInputBlock", NewReleaseInputBlock, NewReleaseInputBlockFn)                        \
    X("ChangeModuleSize", ChangeModuleSize, ChangeModuleSizeFn)                                    \
    X("ChangeModuleName", ChangeModuleName, HostEntry)                                             \
    X("ChangeNameInString", ChangeNameInString, HostEntry)                                         \
    X("SendModuleMessage", SendModuleMessage, HostEntry)                                           \
    X("SendModChanMessage", SendModChanMessage, HostEntry)                                         \
    X("CopyChannelName", CopyChannelName, HostEntry)                                               \
    X("FillUnitList", FillUnitList, HostEntry)                                                     \
    X("MODUL_InitAll", MODUL_InitAll, HostEntry)                                                   \
    X("MODUL_DestroyAll", MODUL_DestroyAll, HostEntry)                                             \
    X("InitMatrixNew", InitMatrixNew, HostEntry)                                                   \
    X("ShowWarning", ShowWarning, ShowWarningFn)                                                   \
    X("EnableAllWindows", EnableAllWindows, HostEntry)                                             \
    X("ShowInternalError", ShowInternalError, HostEntry)                                           \
    X("StopExperiment", StopExperiment, StopExperimentFn)                                          \
    X("PauseExperiment", PauseExperiment, HostEntry)                                               \
    X("CurrentExperimentTime", CurrentExperimentTime, HostEntry)                                   \
    X("DispatchQueuedMessages", DispatchQueuedMessages, HostEntry)                                 \
    X("BBox_FullEnter", BBox_FullEnter, HostEntry)                                                 \
    X("BBox_FullLeave", BBox_FullLeave, HostEntry)                                                 \
    X("BBox_LightEnter", BBox_LightEnter, HostEntry)                                               \
    X("BBox_LightLeave", BBox_LightLeave, HostEntry)                                               \
    X("CreateSatellite", CreateSatellite, HostEntry)                                               \
    X("UpdateSatellite", UpdateSatellite, HostEntry)                                               \
    X("RemoveUselessSatellites", RemoveUselessSatellites, HostEntry)                               \
    X("CreateStackedPen", CreateStackedPen, HostEntry)                                             \
    X("CreateStackedPenIndirect", CreateStackedPenIndirect, HostEntry)                             \
    X("CreateStackedFontIndirect", CreateStackedFontIndirect, CreateStackedFontIndirectFn)         \
    X("CreateStackedSolidBrush", CreateStackedSolidBrush, HostEntry)                               \
    X("CreateStackedBrushIndirect", CreateStackedBrushIndirect, HostEntry)                         \
    X("DeleteStackedObject", DeleteStackedObject, DeleteStackedObjectFn)                           \
    X("do_fft", do_fft, HostEntry)                                                                 \
    X("EditText", EditText, HostEntry)                                                             \
    X("LoadInterpolationTable", LoadInterpolationTable, HostEntry)                                 \
    X("LoadTableFromFile", LoadTableFromFile, HostEntry)                                           \
    X("SearchForFileToLoad", SearchForFileToLoad, HostEntry)                                       \
    X("DoesFileExistAndMsg", DoesFileExistAndMsg, HostEntry)                                       \
    X("AskForFilenameChange", AskForFilenameChange, HostEntry)                                     \
    X("CheckCreateDir", CheckCreateDir, HostEntry)                                                 \
    X("InitPrinter", InitPrinter, HostEntry)                                                       \
    X("PrintHeader", PrintHeader, HostEntry)                                                       \
    X("ExitPrinter", ExitPrinter, HostEntry)                                                       \
    X("PrintFooter", PrintFooter, HostEntry)                                                       \
    X("NextPage", NextPage, HostEntry)                                                             \
    X("CheckedCreateFile", CheckedCreateFile, HostEntry)                                           \
    X("CheckedOpenFile", CheckedOpenFile, HostEntry)                                               \
    X("CreateAndShowToolTipWindow", CreateAndShowToolTipWindow, HostEntry)                         \
    X("SendPanelMessage", SendPanelMessage, HostEntry)                                             \
    X("GlStr_RegisterByText", GlStr_RegisterByText, HostEntry)                                     \
    X("GlStr_UnregisterByText", GlStr_UnregisterByText, HostEntry)                                 \
    X("ExpandString", ExpandString, HostEntry)                                                     \
    X("ExpandStringNumber", ExpandStringNumber, HostEntry)                                         \
    X("ExpandVarNumber", ExpandVarNumber, HostEntry)                                               \
    X("ExpandUnitString", ExpandUnitString, HostEntry)                                             \
    X("ExpandUnit", ExpandUnit, HostEntry)                                                         \
    X("GlStr_RegisterByNumber", GlStr_RegisterByNumber, HostEntry)                                 \
    X("GlStr_UnregisterByNumber", GlStr_UnregisterByNumber, HostEntry)                             \
    X("GlStr_Set", GlStr_Set, HostEntry)                                                           \
    X("GlStr_Get", GlStr_Get, HostEntry)                                                           \
    X("GlStr_PrefixGet", GlStr_PrefixGet, HostEntry)                                               \
    X("GlVar_RegisterByNumber", GlVar_RegisterByNumber, HostEntry)                                 \
    X("GlVar_UnregisterByNumber", GlVar_UnregisterByNumber, HostEntry)                             \
    X("GlVar_Set", GlVar_Set, HostEntry)                                                           \
    X("GlVar_Get", GlVar_Get, HostEntry)                                                           \
    X("GlVar_PrefixGet", GlVar_PrefixGet, HostEntry)                                               \
    X("GlVar_VarStringGet", GlVar_VarStringGet, HostEntry)                                         \
    X("GlVar_SetSyntax", GlVar_SetSyntax, HostEntry)                                               \
    X("GlStr_SetSyntax", GlStr_SetSyntax, HostEntry)                                               \
    X("SetMenuForGlobalStrings", SetMenuForGlobalStrings, HostEntry)                               \
    X("SetMenuForGlobalVars", SetMenuForGlobalVars, HostEntry)                                     \
    X("DeleteMenuForGlobalStrings", DeleteMenuForGlobalStrings, HostEntry)                         \
    X("DeleteMenuForGlobalVars", DeleteMenuForGlobalVars, HostEntry)                               \
    X("ShowVarsAndSelect", ShowVarsAndSelect, HostEntry)                                           \
    X("DsbHasChanged", DsbHasChanged, HostEntry)                                                   \
    X("RegisterMenuEntry", RegisterMenuEntry, RegisterMenuEntryFn)                                 \
    X("RegisterExtraMemory", RegisterExtraMemory, HostEntry)                                       \
    X("FindModuleByName", FindModuleByName, HostEntry)                                             \
    X("AddExtMemInstance", AddExtMemInstance, HostEntry)                                           \
    X("RemoveExtMemInstance", RemoveExtMemInstance, HostEntry)                                     \
    X("RegisterNewWorksheetNotification", RegisterNewWorksheetNotification, HostEntry)             \
    X("RegisterTimeBase", RegisterTimeBase, HostEntry)                                             \
    X("UnregisterTimeBase", UnregisterTimeBase, HostEntry)                                         \
    X("SetTimeBase", SetTimeBase, HostEntry)                                                       \
    X("SetTimeBaseTime", SetTimeBaseTime, HostEntry)                                               \
    X("IncTimeBaseTime", IncTimeBaseTime, HostEntry)                                               \
    X("GetTimeBaseBlockSize", GetTimeBaseBlockSize, HostEntry)                                     \
    X("GetTimeBaseSampleDistance", GetTimeBaseSampleDistance, HostEntry)                           \
    X("GetTimeBaseTime", GetTimeBaseTime, HostEntry)                                               \
    X("FillTimeBaseCombo", FillTimeBaseCombo, HostEntry)                                           \
    X("GetTimeBaseComboID", GetTimeBaseComboID, HostEntry)                                         \
    X("TimeBaseDialog", TimeBaseDialog, HostEntry)

// The plug-in's own variables, in the order in which it defines them to the host, which
// writes them at their width and keeps them current:
//   fGlobalMilliSecondsPerSample  milliseconds between two samples
//   uiGlobalBlockSize             samples per data block
//   bAnimation                    1 while the host animates the flow chart
//   bExperimentIsRunning          1 while an experiment runs
//   bExperimentIsPaused           1 while the running experiment is paused
//   dwExperimentStartTimeTicks    GetTickCount at the start of the experiment
//   BBoxModul                     defined to the host, never read
// X(name as the host spells it, field name, field type)
#define PEMO_PLUGIN_VARIABLES(X)                                                                   \
    X("fGlobalMilliSecondsPerSample", fGlobalMilliSecondsPerSample, double)                        \
    X("uiGlobalBlockSize", uiGlobalBlockSize, uint32_t)                                            \
    X("bAnimation", bAnimation, uint32_t)                                                          \
    X("bExperimentIsRunning", bExperimentIsRunning, uint32_t)                                      \
    X("bExperimentIsPaused", bExperimentIsPaused, uint32_t)                                        \
    X("dwExperimentStartTimeTicks", dwExperimentStartTimeTicks, uint32_t)                          \
    X("BBoxModul", BBoxModul, uint32_t)

enum : int { HOST_VARIABLE_COUNT = 60, HOST_SERVICE_COUNT = 102 };

extern const char* const hostVariableNames[HOST_VARIABLE_COUNT];
extern const bool hostVariableMayBeZero[HOST_VARIABLE_COUNT];
extern const char* const hostServiceNames[HOST_SERVICE_COUNT];
