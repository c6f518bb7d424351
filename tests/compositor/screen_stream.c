#include "screen_stream.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct kv_screen_stream {
  struct pw_thread_loop* loop;
  struct pw_context* context;
  struct pw_core* core;
  struct pw_stream* stream;
  struct spa_hook listener;
  struct spa_video_info_raw format;
  /* The newest frame, under the loop's lock. */
  uint32_t* frame;
  int width, height;
  uint64_t serial;
};

static void param_changed(void* data, uint32_t id, const struct spa_pod* param) {
  struct kv_screen_stream* s = data;
  if (!param || id != SPA_PARAM_Format) return;
  uint32_t media_type = 0, media_subtype = 0;
  if (spa_format_parse(param, &media_type, &media_subtype) < 0 ||
      media_type != SPA_MEDIA_TYPE_video || media_subtype != SPA_MEDIA_SUBTYPE_raw)
    return;
  spa_format_video_raw_parse(param, &s->format);
  /* Buffers in memory we can map, not on a GPU. */
  uint8_t buffer[256];
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
  const struct spa_pod* params[1];
  params[0] = spa_pod_builder_add_object(
      &b, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
      SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr)));
  pw_stream_update_params(s->stream, params, 1);
}

static void process(void* data) {
  struct kv_screen_stream* s = data;
  struct pw_buffer* newest = NULL;
  struct pw_buffer* b;
  /* Only the latest picture matters. */
  while ((b = pw_stream_dequeue_buffer(s->stream)) != NULL) {
    if (newest) pw_stream_queue_buffer(s->stream, newest);
    newest = b;
  }
  if (!newest) return;
  struct spa_data* d = &newest->buffer->datas[0];
  const int width = (int)s->format.size.width, height = (int)s->format.size.height;
  const int stride = d->chunk->stride > 0 ? d->chunk->stride : width * 4;
  const int swap = s->format.format == SPA_VIDEO_FORMAT_RGBx || s->format.format == SPA_VIDEO_FORMAT_RGBA;
  if (d->data && width > 0 && height > 0 &&
      (size_t)d->chunk->offset + (size_t)stride * (size_t)height <= d->maxsize) {
    uint32_t* frame = malloc((size_t)width * (size_t)height * 4);
    if (frame) {
      const uint8_t* rows = (const uint8_t*)d->data + d->chunk->offset;
      for (int y = 0; y < height; ++y) {
        const uint32_t* in = (const uint32_t*)(rows + (size_t)y * (size_t)stride);
        uint32_t* out = frame + (size_t)y * (size_t)width;
        for (int x = 0; x < width; ++x) {
          const uint32_t p = in[x];
          out[x] = swap ? ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu)
                        : (p & 0xFFFFFFu);
        }
      }
      free(s->frame);
      s->frame = frame;
      s->width = width;
      s->height = height;
      ++s->serial;
    }
  }
  pw_stream_queue_buffer(s->stream, newest);
}

static const struct pw_stream_events kEvents = {
    PW_VERSION_STREAM_EVENTS, .param_changed = param_changed, .process = process};

kv_screen_stream* kv_screen_stream_open(const char* remote, uint32_t node_id, char* error,
                                        size_t error_size) {
  pw_init(NULL, NULL);
  struct kv_screen_stream* s = calloc(1, sizeof(*s));
  if (!s) return NULL;
  s->loop = pw_thread_loop_new("kv-screen", NULL);
  s->context = s->loop ? pw_context_new(pw_thread_loop_get_loop(s->loop), NULL, 0) : NULL;
  if (!s->context || pw_thread_loop_start(s->loop) < 0) {
    snprintf(error, error_size, "cannot start a PipeWire loop");
    kv_screen_stream_close(s);
    return NULL;
  }
  pw_thread_loop_lock(s->loop);
  s->core = pw_context_connect(s->context, pw_properties_new(PW_KEY_REMOTE_NAME, remote, NULL), 0);
  if (!s->core) {
    pw_thread_loop_unlock(s->loop);
    snprintf(error, error_size, "cannot connect to PipeWire at %s", remote);
    kv_screen_stream_close(s);
    return NULL;
  }
  s->stream = pw_stream_new(s->core, "kv-screen",
                            pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                              "Capture", PW_KEY_MEDIA_ROLE, "Screen", NULL));
  pw_stream_add_listener(s->stream, &s->listener, &kEvents, s);
  uint8_t buffer[1024];
  struct spa_pod_builder b = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
  const struct spa_rectangle smallest = SPA_RECTANGLE(1, 1), largest = SPA_RECTANGLE(8192, 8192),
                             usual = SPA_RECTANGLE(1280, 800);
  const struct spa_fraction none = SPA_FRACTION(0, 1), most = SPA_FRACTION(1000, 1),
                            usual_rate = SPA_FRACTION(60, 1);
  const struct spa_pod* params[1];
  params[0] = spa_pod_builder_add_object(
      &b, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
      SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
      SPA_FORMAT_VIDEO_format,
      SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRA,
                             SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
      SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&usual, &smallest, &largest),
      SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&usual_rate, &none, &most));
  const int r = pw_stream_connect(s->stream, PW_DIRECTION_INPUT, node_id,
                                  PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS, params, 1);
  pw_thread_loop_unlock(s->loop);
  if (r < 0) {
    snprintf(error, error_size, "cannot connect to the stream's node %u", node_id);
    kv_screen_stream_close(s);
    return NULL;
  }
  return s;
}

int kv_screen_stream_frame(kv_screen_stream* s, uint64_t* serial, uint32_t** pixels, int* width,
                           int* height) {
  int copied = 0;
  pw_thread_loop_lock(s->loop);
  if (s->frame && s->serial > *serial) {
    const size_t bytes = (size_t)s->width * (size_t)s->height * 4;
    *pixels = malloc(bytes);
    if (*pixels) {
      memcpy(*pixels, s->frame, bytes);
      *width = s->width;
      *height = s->height;
      *serial = s->serial;
      copied = 1;
    }
  }
  pw_thread_loop_unlock(s->loop);
  return copied;
}

void kv_screen_stream_close(kv_screen_stream* s) {
  if (!s) return;
  if (s->loop) pw_thread_loop_stop(s->loop);
  if (s->stream) pw_stream_destroy(s->stream);
  if (s->core) pw_core_disconnect(s->core);
  if (s->context) pw_context_destroy(s->context);
  if (s->loop) pw_thread_loop_destroy(s->loop);
  free(s->frame);
  free(s);
}
