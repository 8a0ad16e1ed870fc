#include "runtime/input_record.h"

namespace {
InputRecord theInputRecord;
}

InputRecord& inputRecord() {
    return theInputRecord;
}
