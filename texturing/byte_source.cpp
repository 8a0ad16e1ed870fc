#include "texturing/byte_source.h"

ByteSource::~ByteSource() = default;
