#include "params/builtin_drive_table.h"

const BuiltinDriveRow BuiltinDriveTable[] = {
    {"CD-R/RW KP2140A", 0x4, 1, 1},
    {"CD-R/RW KP2140S", 0x4, 0, 1},
    {"CD-R/RW KP2160A", 0x4, 1, 1},
    {"CD-R/RW KP2160S", 0x4, 0, 1},
    {"CD-R/RW KP2180A", 0x4, 1, 1},
    {"CD-R/RW KP2320A", 0x4, 1, 1},
    {"CD-R/RW KP2163A", 0x20004, 1, 1},
    {"DVD/CDRW KP5230", 0x8004, 1, 1},
    {"DVD/CDRW KP5470", 0x8004, 1, 0},
    {"CD-R/RW KP318S", 0x4, 0, 1},
    {nullptr, 0, 0, 0},
};
