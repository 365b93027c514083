#pragma once
// The seam between the media device and what plays: GStreamer for real, a simulation for tests.
namespace ostrivo {
class MediaBackend {
 public:
  virtual ~MediaBackend() = default;
};
}  // namespace ostrivo
