#pragma once
// Track files as sync editors export them: DIR/sync_NAME.track, little-endian
// int32 key count, then per key int32 row, float32 value, uint8
// interpolation.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sync/sync_track.h"

// The file name of a track: "sync_" + NAME + ".track", NAME with every byte
// other than a letter, digit, '.', '_' or '/' written as '-' and two
// upper-case hex digits ("show:time" gives "sync_show-3Atime.track").
std::string trackFileName(const std::string& trackName);

// The file's bytes for `keys` (sorted by row).
std::vector<std::uint8_t> encodeTrackFile(const std::vector<TrackKey>& keys);
// Reads a track file's bytes into `keys`; false with the reason when the
// bytes are cut short, the count is negative or larger than the bytes can
// hold, a row is not after the one before it, an interpolation is unknown,
// or bytes follow the last key.
bool decodeTrackFile(const std::uint8_t* bytes, std::size_t size, std::vector<TrackKey>& keys,
                     std::string& reason);

// Writes every track to `folder`/sync_NAME.track, making the folder when it
// is missing. Each file is written whole under a temporary name first and
// then renamed, so a failure never leaves a file cut short. False with the
// reason (naming the file) at the first failure.
bool saveTrackFiles(const std::string& folder, const std::vector<SyncTrack>& tracks,
                    std::string& error);
// Reads the file of each track from `folder`; a track without a file gets no
// keys (the show's own value). False with the reason (naming the file) when
// the folder cannot be read or a file is unreadable or damaged.
bool loadTrackFiles(const std::string& folder, std::vector<SyncTrack>& tracks, std::string& error);
