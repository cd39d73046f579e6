#include "platform/qt/jpeg2000_image.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace calyxa {
namespace {

constexpr char kJp2Signature[] = "\x00\x00\x00\x0cjP  \r\n\x87\n";
constexpr char kCodestreamSignature[] = "\xff\x4f\xff\x51";

bool startsWith(QByteArrayView bytes, const char* signature, qsizetype length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
}

// OpenJPEG reads through callbacks; these serve it the bytes in memory.
struct Reader {
  QByteArrayView bytes;
  qsizetype at = 0;
};

OPJ_SIZE_T readBytes(void* buffer, OPJ_SIZE_T count, void* user) {
  auto& reader = *static_cast<Reader*>(user);
  const auto left = static_cast<OPJ_SIZE_T>(reader.bytes.size() - reader.at);
  if (left == 0) return static_cast<OPJ_SIZE_T>(-1);
  const OPJ_SIZE_T n = std::min(count, left);
  std::memcpy(buffer, reader.bytes.data() + reader.at, n);
  reader.at += static_cast<qsizetype>(n);
  return n;
}

OPJ_OFF_T skipBytes(OPJ_OFF_T count, void* user) {
  auto& reader = *static_cast<Reader*>(user);
  const qsizetype target =
      std::clamp<qsizetype>(reader.at + static_cast<qsizetype>(count), 0, reader.bytes.size());
  const OPJ_OFF_T skipped = target - reader.at;
  reader.at = target;
  return skipped;
}

OPJ_BOOL seekBytes(OPJ_OFF_T position, void* user) {
  auto& reader = *static_cast<Reader*>(user);
  if (position < 0 || position > reader.bytes.size()) return OPJ_FALSE;
  reader.at = static_cast<qsizetype>(position);
  return OPJ_TRUE;
}

void quiet(const char*, void*) {}

struct CodecDeleter {
  void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct StreamDeleter {
  void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct ImageDeleter {
  void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};

// A sample brought to 0 … 255 whatever its precision and sign.
int eightBits(OPJ_INT32 value, const opj_image_comp_t& component) {
  const int precision = static_cast<int>(component.prec);
  long long v = value;
  if (component.sgnd) v += 1LL << (precision - 1);
  v = std::clamp(v, 0LL, (1LL << precision) - 1);
  if (precision > 8) return static_cast<int>(v >> (precision - 8));
  return static_cast<int>(v * 255 / ((1LL << precision) - 1));
}

QImage toQImage(const opj_image_t& image) {
  const int count = static_cast<int>(image.numcomps);
  if (count < 1 || count > 4 || !image.comps) return {};
  if (image.color_space == OPJ_CLRSPC_CMYK || image.color_space == OPJ_CLRSPC_EYCC) return {};
  const opj_image_comp_t& first = image.comps[0];
  const int width = static_cast<int>(first.w), height = static_cast<int>(first.h);
  if (width <= 0 || height <= 0) return {};
  for (int c = 0; c < count; ++c) {
    const opj_image_comp_t& component = image.comps[c];
    if (!component.data || component.w == 0 || component.h == 0 || component.dx == 0 ||
        component.dy == 0 || component.prec < 1 || component.prec > 16) {
      return {};
    }
  }
  const bool colour = count >= 3;
  // The component marked as opacity, else the one after the colours.
  int alpha = count == 2 || count == 4 ? count - 1 : -1;
  for (int c = 0; c < count; ++c) {
    if (image.comps[c].alpha) alpha = c;
  }
  const bool ycc = colour && image.color_space == OPJ_CLRSPC_SYCC;
  // Subsampled components (chroma of a YCC picture) are read at their own resolution.
  const auto sample = [&](int c, int x, int y) {
    const opj_image_comp_t& component = image.comps[c];
    const auto cx = std::min<OPJ_UINT32>(x * first.dx / component.dx, component.w - 1);
    const auto cy = std::min<OPJ_UINT32>(y * first.dy / component.dy, component.h - 1);
    return eightBits(component.data[static_cast<std::size_t>(cy) * component.w + cx], component);
  };
  QImage out(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < width; ++x) {
      int r = sample(0, x, y), g = r, b = r;
      if (colour) {
        g = sample(1, x, y);
        b = sample(2, x, y);
        if (ycc) {
          const double luma = r, cb = g - 128.0, cr = b - 128.0;
          r = std::clamp(static_cast<int>(luma + 1.402 * cr + 0.5), 0, 255);
          g = std::clamp(static_cast<int>(luma - 0.344136 * cb - 0.714136 * cr + 0.5), 0, 255);
          b = std::clamp(static_cast<int>(luma + 1.772 * cb + 0.5), 0, 255);
        }
      }
      line[x] = qRgba(r, g, b, alpha >= 0 ? sample(alpha, x, y) : 255);
    }
  }
  return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

bool isJpeg2000(QByteArrayView bytes) {
  return startsWith(bytes, kJp2Signature, sizeof kJp2Signature - 1) ||
         startsWith(bytes, kCodestreamSignature, sizeof kCodestreamSignature - 1);
}

QImage decodeJpeg2000(QByteArrayView bytes, int edge, int maxEdge) {
  const bool boxed = startsWith(bytes, kJp2Signature, sizeof kJp2Signature - 1);
  if (!boxed && !startsWith(bytes, kCodestreamSignature, sizeof kCodestreamSignature - 1)) {
    return {};
  }
  const std::unique_ptr<opj_codec_t, CodecDeleter> codec(
      opj_create_decompress(boxed ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
  if (!codec) return {};
  opj_set_info_handler(codec.get(), quiet, nullptr);
  opj_set_warning_handler(codec.get(), quiet, nullptr);
  opj_set_error_handler(codec.get(), quiet, nullptr);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  if (!opj_setup_decoder(codec.get(), &parameters)) return {};

  Reader reader{bytes, 0};
  const std::unique_ptr<opj_stream_t, StreamDeleter> stream(
      opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE));
  if (!stream) return {};
  opj_stream_set_read_function(stream.get(), readBytes);
  opj_stream_set_skip_function(stream.get(), skipBytes);
  opj_stream_set_seek_function(stream.get(), seekBytes);
  opj_stream_set_user_data(stream.get(), &reader, nullptr);
  opj_stream_set_user_data_length(stream.get(), static_cast<OPJ_UINT64>(bytes.size()));

  opj_image_t* header = nullptr;
  const bool read = opj_read_header(stream.get(), codec.get(), &header);
  const std::unique_ptr<opj_image_t, ImageDeleter> image(header);
  if (!read || !image) return {};
  const OPJ_UINT32 width = image->x1 - image->x0, height = image->y1 - image->y0;
  if (image->x1 <= image->x0 || image->y1 <= image->y0 ||
      width > static_cast<OPJ_UINT32>(maxEdge) || height > static_cast<OPJ_UINT32>(maxEdge)) {
    return {};
  }

  // A 1024-pixel picture drawn at 128 needs only its third level: far less to decode.
  OPJ_UINT32 levels = 1;
  if (opj_codestream_info_v2_t* info = opj_get_cstr_info(codec.get())) {
    if (info->nbcomps > 0 && info->m_default_tile_info.tccp_info) {
      levels = std::max<OPJ_UINT32>(1, info->m_default_tile_info.tccp_info[0].numresolutions);
    }
    opj_destroy_cstr_info(&info);
  }
  const auto wanted = static_cast<OPJ_UINT32>(std::max(edge, 1));
  OPJ_UINT32 reduce = 0;
  while (reduce + 1 < levels && (width + (1u << (reduce + 1)) - 1) >> (reduce + 1) >= wanted &&
         (height + (1u << (reduce + 1)) - 1) >> (reduce + 1) >= wanted) {
    ++reduce;
  }
  if (reduce > 0 && !opj_set_decoded_resolution_factor(codec.get(), reduce)) return {};

  if (!opj_decode(codec.get(), stream.get(), image.get()) ||
      !opj_end_decompress(codec.get(), stream.get())) {
    return {};
  }
  return toQImage(*image);
}

}  // namespace calyxa
