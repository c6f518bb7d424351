/* A PipeWire video stream read into memory: what mutter's screen cast
 * shows, frame by frame. Plain C, as PipeWire's format-building macros are. */
#ifndef KV_SCREEN_STREAM_H
#define KV_SCREEN_STREAM_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct kv_screen_stream kv_screen_stream;

/* Connects to the PipeWire daemon listening at `remote` (a socket's path)
 * and to the node `node_id`; frames then arrive on a thread of its own.
 * Null, with the reason in `error`, when it cannot. */
kv_screen_stream* kv_screen_stream_open(const char* remote, uint32_t node_id, char* error,
                                        size_t error_size);
/* The newest frame, when it is newer than `*serial` (frames count from 1):
 * copies it as 0x00RRGGBB rows into a buffer the caller frees, sets the
 * serial and size, and returns 1; 0 when there is none newer. */
int kv_screen_stream_frame(kv_screen_stream* stream, uint64_t* serial, uint32_t** pixels,
                           int* width, int* height);
void kv_screen_stream_close(kv_screen_stream* stream);

#ifdef __cplusplus
}
#endif

#endif
