// Output streamed as it is written: while Module.quelvaneOutput is { root, sink, begun }, every
// regular file created below the folder `root` keeps none of its bytes in MEMFS. Its writes go to
// the sink as they come (sink.begin() when the file is made, sink.write(token, bytes) with a view
// of each write into the module's memory, valid during the call only: a sink copies what it
// keeps), so a file of gigabytes needs no more memory than one of kilobytes. The core
// writes its files in order (AtomicFile: a temporary name, written front to back, then renamed);
// a write anywhere else, or a read back, fails as an I/O error rather than giving wrong bytes.
(function () {
  const EIO = 29;
  const below = (path, root) => path === root || path.startsWith(`${root}/`);

  const fileOps = MEMFS.ops_table.file.stream;
  const streamedOps = {
    llseek: fileOps.llseek,
    read() {
      throw new FS.ErrnoError(EIO);
    },
    write(stream, buffer, offset, length, position) {
      const node = stream.node;
      if (position !== node.usedBytes) throw new FS.ErrnoError(EIO);
      if (!length) return 0;
      // A sink that fails (a full disk) fails the write, which the core reports as its own.
      try {
        node.quelvaneSink.write(node.quelvaneToken, buffer.subarray(offset, offset + length));
      } catch {
        throw new FS.ErrnoError(EIO);
      }
      node.usedBytes += length;
      node.timestamp = Date.now();
      return length;
    },
  };

  const createNode = MEMFS.createNode;
  MEMFS.createNode = function (parent, name, mode, dev) {
    const node = createNode.call(this, parent, name, mode, dev);
    const output = Module['quelvaneOutput'];
    if (output && FS.isFile(mode) && parent && below(FS.getPath(parent), output.root)) {
      node.stream_ops = streamedOps;
      node.quelvaneSink = output.sink;
      node.quelvaneToken = output.sink.begin();
      output.begun.push(node.quelvaneToken);
    }
    return node;
  };
})();
