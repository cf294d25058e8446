// Lines of the layer program's protocol from a peer that does not keep to it: cut into lines,
// decoded, and every message that is taken must read back the same once written again.
#include "layer/LayerProtocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ondrix::LayerLineReader reader(256);
    // In pieces of uneven size, as a socket delivers them.
    for (std::size_t at = 0, piece = 1; at < bytes.size() && !reader.Broken();
         at += piece, piece = piece * 2 + 1) {
        reader.Feed(bytes.substr(at, piece));
        while (const auto line = reader.NextLine()) {
            const ondrix::DecodedLayerMessage decoded = ondrix::DecodeLayerMessage(*line);
            if (!decoded.message)
                continue;
            const std::string again = ondrix::EncodeLayerMessage(*decoded.message);
            const auto reread =
                ondrix::DecodeLayerMessage(std::string_view(again).substr(0, again.size() - 1));
            if (!reread.message || !(*reread.message == *decoded.message))
                std::abort();
        }
    }
    return 0;
}
