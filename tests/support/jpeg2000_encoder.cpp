#include "support/jpeg2000_encoder.h"

#include <openjpeg.h>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace calyxa::testing {
namespace {

// OpenJPEG writes through callbacks, seeking back to fill in box lengths.
struct Writer {
  std::string bytes;
  std::size_t at = 0;
  void reach(std::size_t end) {
    if (end > bytes.size()) bytes.resize(end, '\0');
  }
};

OPJ_SIZE_T writeBytes(void* data, OPJ_SIZE_T count, void* user) {
  auto& writer = *static_cast<Writer*>(user);
  writer.reach(writer.at + count);
  std::memcpy(writer.bytes.data() + writer.at, data, count);
  writer.at += count;
  return count;
}

OPJ_OFF_T skipBytes(OPJ_OFF_T count, void* user) {
  auto& writer = *static_cast<Writer*>(user);
  writer.at += static_cast<std::size_t>(count);
  writer.reach(writer.at);
  return count;
}

OPJ_BOOL seekBytes(OPJ_OFF_T position, void* user) {
  auto& writer = *static_cast<Writer*>(user);
  writer.at = static_cast<std::size_t>(position);
  writer.reach(writer.at);
  return OPJ_TRUE;
}

}  // namespace

std::string encodeJpeg2000(int width, int height, const std::vector<std::uint32_t>& argb,
                           const Jpeg2000Options& options) {
  std::vector<opj_image_cmptparm_t> parts(4);
  for (auto& part : parts) {
    part = {};
    part.dx = part.dy = 1;
    part.w = static_cast<OPJ_UINT32>(width);
    part.h = static_cast<OPJ_UINT32>(height);
    part.prec = 8;
  }
  const std::unique_ptr<opj_image_t, void (*)(opj_image_t*)> image(
      opj_image_create(4, parts.data(), OPJ_CLRSPC_SRGB), opj_image_destroy);
  if (!image) throw std::runtime_error("opj_image_create failed");
  image->x1 = static_cast<OPJ_UINT32>(width);
  image->y1 = static_cast<OPJ_UINT32>(height);
  image->comps[3].alpha = 1;
  for (std::size_t i = 0; i < argb.size(); ++i) {
    for (int c = 0; c < 4; ++c) {
      const int shift = c == 3 ? 24 : 16 - 8 * c;  // red, green, blue, alpha
      image->comps[c].data[i] = static_cast<OPJ_INT32>((argb[i] >> shift) & 0xFF);
    }
  }
  opj_cparameters_t parameters;
  opj_set_default_encoder_parameters(&parameters);
  parameters.tcp_numlayers = 1;
  parameters.tcp_rates[0] = options.compression;
  parameters.cp_disto_alloc = 1;
  parameters.irreversible = options.compression > 0 ? 1 : 0;
  parameters.numresolution = options.resolutions;
  const std::unique_ptr<opj_codec_t, void (*)(opj_codec_t*)> codec(
      opj_create_compress(options.codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2), opj_destroy_codec);
  Writer writer;
  const std::unique_ptr<opj_stream_t, void (*)(opj_stream_t*)> stream(
      opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE), opj_stream_destroy);
  opj_stream_set_user_data(stream.get(), &writer, nullptr);
  opj_stream_set_write_function(stream.get(), writeBytes);
  opj_stream_set_skip_function(stream.get(), skipBytes);
  opj_stream_set_seek_function(stream.get(), seekBytes);
  if (!codec || !opj_setup_encoder(codec.get(), &parameters, image.get()) ||
      !opj_start_compress(codec.get(), image.get(), stream.get()) ||
      !opj_encode(codec.get(), stream.get()) || !opj_end_compress(codec.get(), stream.get())) {
    throw std::runtime_error("JPEG 2000 encoding failed");
  }
  return writer.bytes;
}

}  // namespace calyxa::testing
