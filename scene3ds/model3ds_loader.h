#pragma once
// The 3DS loader: reads one file into memory, walks its chunk tree and fills
// the model. Default construction and destruction allocate nothing, so the
// engine context can hold a large pool of idle loaders.
#include <cstddef>
#include <cstdint>

#include "scene3ds/chunk_span.h"
#include "scene3ds/model3ds.h"

class Model3dsLoader : public Model3ds {
  public:
    Model3dsLoader() = default;
    ~Model3dsLoader() override;

    bool load(const char* path) override;
    // Parses a file image already in memory (the bytes are copied); the same
    // as load() from the point where the file has been read.
    bool loadBytes(const std::uint8_t* data, std::size_t size);

    // --- Chunk reader over the loaded buffer ---------------------------------
    // A read of w bytes succeeds only while cursor + w < fileSize; a failed
    // read returns 0 and leaves the cursor where it was.
    void seek(std::uint32_t offset);
    std::uint8_t readByte();
    std::uint16_t readWord();
    std::uint32_t readDword();
    float readFloat();
    void skip(std::uint32_t width);
    // Reads a zero-terminated string; stores at most maxLength - 1 characters
    // and a terminator; returns the number of characters stored.
    int readString(char* destination, int maxLength);
    ChunkSpan readChunk();
    // Searches from the cursor, within `parent`, for a chunk with target.id.
    bool findChunk(ChunkSpan& target, const ChunkSpan& parent);
    void readColor(const ChunkSpan& chunk, float rgb[3]);
    float readPercent(const ChunkSpan& chunk);

    // Puts a copy of `size` bytes in place as the loaded buffer (cursor 0);
    // false when the size is 0, too large or cannot be allocated.
    bool openBuffer(const std::uint8_t* data, std::size_t size);
    // Drops the buffer; the reader is idle again.
    void closeBuffer();

    // Position tracks, and the animation length the keyframer states, raise
    // frameCount up to this many frames; the per-frame arrays of every node
    // have frameCount entries.
    static constexpr std::uint32_t kMaxFrameCount = 65536;

    std::uint8_t* fileData = nullptr;
    std::uint32_t fileSize = 0;
    std::uint32_t cursor = 0;
    char objectName[100] = {};

  private:
    // Whether a walk stops after a child that reaches the parent's end
    // (kEarlyStop) or always reads one more header (kNoEarlyStop).
    enum class WalkForm { kEarlyStop, kNoEarlyStop };

    bool canRead(std::uint32_t width) const;
    // How many records of `size` bytes the file still holds after the cursor.
    // Record counts are limited to it, so a count that the file cannot back
    // does not make a small file allocate megabytes of zero records.
    std::uint32_t recordsLeft(std::uint32_t size) const;
    // Reads a header and tells whether it can be walked over: read in full,
    // length at least 6, end not wrapping 32 bits. Every search and walk
    // stops on a header that is not, so each step moves the cursor forward.
    bool readUsableChunk(ChunkSpan& header);
    // Visits the direct children of `parent`, starting with the header at the
    // cursor. `handle` reads from the child's start; returning false ends
    // the walk.
    template <class Handler>
    void walkChildren(const ChunkSpan& parent, WalkForm form, Handler&& handle);

    bool parse();
    // Returns false when the material is dropped (reflection-map rule).
    bool readMaterial(const ChunkSpan& chunk, Material3ds& material);
    void readTextureMap(const ChunkSpan& chunk, TextureMap3ds& map);
    void readMesh(const ChunkSpan& chunk);
    void readFaceList(const ChunkSpan& chunk, Mesh3ds& mesh);
    void readLight(const ChunkSpan& chunk);
    void readCamera(const ChunkSpan& chunk);
    const Material3ds* findMaterial(const char* name) const;
    const Mesh3ds* findMesh(const char* name) const;

    // Keyframer stages, run in this order after the named objects.
    void readKeyframer(const ChunkSpan& main);
    // Returns the frame count the node's position track asks for (0 when
    // it has none).
    std::uint32_t readNode(const ChunkSpan& node);
    // The last frame of the animation as the keyframer's header (0xB00A)
    // and segment (0xB008) give it; 0 when neither states one.
    std::uint32_t readAnimationEnd(const ChunkSpan& keyframer);
    // Raises frameCount to cover the animation the file states, or, when
    // it states none, the last key of every track.
    void coverAnimation(std::uint32_t statedEnd, std::uint32_t asked);
    // Reads a key's frame number and skips its spline parameters; false
    // when the file has no more data.
    bool readKeyHeader(std::uint32_t& frame);
    void sampleTracks();
    void rebaseMeshes();
    void buildMeshes();
    void releaseKeys();
};

template <class Handler>
void Model3dsLoader::walkChildren(const ChunkSpan& parent, WalkForm form, Handler&& handle) {
    ChunkSpan child;
    if (!readUsableChunk(child)) return;
    while (child.end <= parent.end) {
        if (!handle(child)) return;
        seek(child.end);
        if (form == WalkForm::kEarlyStop && child.end >= parent.end) return;
        if (!readUsableChunk(child)) return;
    }
}
