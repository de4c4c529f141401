// The labels in which the console's main window shows the service's statistics.
#pragma once

inline const char* const StatisticsLabels[] = {
    "LabVersionVal", "LabSartedVal", "LabConnsVal", "LabConErrorsVal", "LabReqVal", "LabReqBytesVal",
    "LabAnsVal", "LabAnsBytesVal", "LabWriteErrVal", "LabLastFileOkVal", "LabLastFileOkAtVal",
    "LabLastFileBadVal", "LabLastFileBadAtVal", "LabLastGroupVal", "LabLastGroupAtVal",
    "LabNextFileCheckAtVal", "LabLastEvtTimeVal", "LabLastEvtTextVal", "LabLastErrTimeVal",
    "LabLastErrTextVal"};
