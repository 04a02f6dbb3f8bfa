#include "engine/formats/stream_capacity.h"

#include "engine/formats/format_registry.h"

StreamCapacity CapacityOf(int outputType) {
    const FormatDescription* format = FindFormat(outputType);
    return format ? format->capacity : StreamCapacity{};
}
