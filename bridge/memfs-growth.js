// Exports and extraction are written to MEMFS and read back as bytes. Past 1 MB, MEMFS grows a
// file by an eighth at a time, copying it whole each time: a 150 MB export spent seconds copying.
// Doubling keeps the copying linear in the file's size.
(function () {
  const grow = MEMFS.expandFileStorage;
  MEMFS.expandFileStorage = function (node, newCapacity) {
    const held = node.contents ? node.contents.length : 0;
    grow.call(this, node, held >= newCapacity ? newCapacity : Math.max(newCapacity, held * 2));
  };
})();
