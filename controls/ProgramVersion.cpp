#include "ProgramVersion.hpp"

const TVersionRecord* ProgramVersionRecord() {
    static const TVersionRecord record{
        {{"ProductName", "Quorvane"}, {"FileVersion", QUORVANE_FILE_VERSION}}};
    return &record;
}
