// The page module's files, in memory: the few the page hands the unit (Flash.dat, a file to
// examine, the settings view's two) and those the controller's own load and save code makes beside
// them. A flat folder, "/", of plain files is all they need, so this small store answers the C
// library's file calls in place of emscripten's JavaScript file system, whose set-up alone took
// about 20 ms of the page's start. The page reaches it as module.files (readFile, writeFile,
// unlink, exists).
//
// The calls answer as Linux does for what the controller and the C++ library ask: open with
// O_CREAT, O_EXCL, O_TRUNC and O_APPEND; read, write, seek and sync through a descriptor; stat;
// rename over an existing file; unlink and rmdir; chmod (modes are not kept). A file stays
// readable through a descriptor opened before it was renamed or unlinked. Standard output and
// error go to the console, a line at a time.
mergeInto(LibraryManager.library, {
  $KvFiles: {
    // path ("/name") -> { data: Uint8Array, size }; data may be longer than size.
    files: {},
    // descriptor -> { node (a file, or null for the folder), position, flags }
    streams: [],
    lines: { 1: [], 2: [] },

    // The absolute, normal form of a path, or null when it is empty.
    resolve: function(path) {
      if (path === '') {
        return null;
      }
      var parts = [];
      path.split('/').forEach(function(part) {
        if (part === '..') {
          parts.pop();
        } else if (part !== '' && part !== '.') {
          parts.push(part);
        }
      });
      return '/' + parts.join('/');
    },

    // What a path names: { folder: true }, { node }, or { errno } when it cannot name a file.
    lookup: function(path) {
      path = KvFiles.resolve(path);
      if (path === null) {
        return { errno: {{{ cDefine('ENOENT') }}} };
      }
      if (path === '/') {
        return { folder: true, path: path };
      }
      var parent = path.substring(0, path.lastIndexOf('/'));
      if (parent !== '') {
        // Only the root folder holds files: a path through a file is no folder, another is missing.
        var above = KvFiles.lookup(parent);
        return { errno: above.node || above.errno === {{{ cDefine('ENOTDIR') }}}
          ? {{{ cDefine('ENOTDIR') }}} : {{{ cDefine('ENOENT') }}} };
      }
      return { node: Object.prototype.hasOwnProperty.call(KvFiles.files, path)
        ? KvFiles.files[path] : null, path: path };
    },

    // The path of a call relative to a descriptor (openat and the like): all paths resolve
    // from the root folder, the only one there is.
    at: function(dirfd, path) {
      if (path[0] === '/' || dirfd === {{{ cDefine('AT_FDCWD') }}}) {
        return path;
      }
      var stream = KvFiles.streams[dirfd];
      if (!stream) {
        return { errno: {{{ cDefine('EBADF') }}} };
      }
      if (stream.node) {
        return { errno: {{{ cDefine('ENOTDIR') }}} };
      }
      return '/' + path;
    },

    open: function(path, flags) {
      var found = KvFiles.lookup(path);
      if (found.errno) {
        return -found.errno;
      }
      var access = flags & {{{ cDefine('O_ACCMODE') }}};
      if (found.folder) {
        if (access !== {{{ cDefine('O_RDONLY') }}} || (flags & {{{ cDefine('O_CREAT') }}})) {
          return -{{{ cDefine('EISDIR') }}};
        }
      } else if (found.node === null) {
        if (!(flags & {{{ cDefine('O_CREAT') }}})) {
          return -{{{ cDefine('ENOENT') }}};
        }
        found.node = KvFiles.files[found.path] = { data: new Uint8Array(0), size: 0 };
      } else if ((flags & {{{ cDefine('O_CREAT') }}}) && (flags & {{{ cDefine('O_EXCL') }}})) {
        return -{{{ cDefine('EEXIST') }}};
      } else if (flags & {{{ cDefine('O_DIRECTORY') }}}) {
        return -{{{ cDefine('ENOTDIR') }}};
      }
      if (found.node && (flags & {{{ cDefine('O_TRUNC') }}}) &&
          access !== {{{ cDefine('O_RDONLY') }}}) {
        found.node.size = 0;
      }
      var fd = 3;
      while (KvFiles.streams[fd]) {
        ++fd;
      }
      KvFiles.streams[fd] = { node: found.folder ? null : found.node, position: 0, flags: flags };
      return fd;
    },

    // The stream of a descriptor open on a file, for reading (write false) or writing.
    fileStream: function(fd, write) {
      var stream = KvFiles.streams[fd];
      if (!stream) {
        return { errno: {{{ cDefine('EBADF') }}} };
      }
      if (!stream.node) {
        return { errno: write ? {{{ cDefine('EBADF') }}} : {{{ cDefine('EISDIR') }}} };
      }
      var access = stream.flags & {{{ cDefine('O_ACCMODE') }}};
      if (write ? access === {{{ cDefine('O_RDONLY') }}} : access === {{{ cDefine('O_WRONLY') }}}) {
        return { errno: {{{ cDefine('EBADF') }}} };
      }
      return stream;
    },

    stat: function(found, buf) {
      if (found.errno) {
        return -found.errno;
      }
      if (!found.folder && !found.node) {
        return -{{{ cDefine('ENOENT') }}};
      }
      var size = found.node ? found.node.size : 4096;
      var mode = found.node ? {{{ cDefine('S_IFREG') }}} | 438 /* 0666 */
        : {{{ cDefine('S_IFDIR') }}} | 511 /* 0777 */;
      HEAPU8.fill(0, buf, buf + {{{ C_STRUCTS.stat.__size__ }}});
      {{{ makeSetValue('buf', C_STRUCTS.stat.st_dev, '1', 'i32') }}};
      {{{ makeSetValue('buf', C_STRUCTS.stat.st_mode, 'mode', 'i32') }}};
      {{{ makeSetValue('buf', C_STRUCTS.stat.st_nlink, '1', 'i32') }}};
      {{{ makeSetValue('buf', C_STRUCTS.stat.st_size, 'size', 'i64') }}};
      {{{ makeSetValue('buf', C_STRUCTS.stat.st_blksize, '4096', 'i32') }}};
      {{{ makeSetValue('buf', C_STRUCTS.stat.st_blocks, 'Math.ceil(size / 512)', 'i32') }}};
      return 0;
    },

    // For the page.
    readFile: function(path) {
      var found = KvFiles.lookup(path);
      return found.node ? found.node.data.slice(0, found.node.size) : null;
    },
    writeFile: function(path, bytes) {
      var found = KvFiles.lookup(path);
      if (found.errno || found.folder) {
        throw new Error('cannot write ' + path);
      }
      var data = new Uint8Array(bytes);
      KvFiles.files[found.path] = { data: data, size: data.length };
    },
    unlink: function(path) {
      var found = KvFiles.lookup(path);
      if (found.node) {
        delete KvFiles.files[found.path];
      }
    },
    exists: function(path) {
      return !!KvFiles.lookup(path).node;
    },
  },
  $KvFiles__postset: "Module['files'] = { readFile: KvFiles.readFile, writeFile: " +
    "KvFiles.writeFile, unlink: KvFiles.unlink, exists: KvFiles.exists };",

  __syscall_open__deps: ['$KvFiles'],
  __syscall_open: function(path, flags, varargs) {
    return KvFiles.open(UTF8ToString(path), flags);
  },
  __syscall_openat__deps: ['$KvFiles'],
  __syscall_openat: function(dirfd, path, flags, varargs) {
    path = KvFiles.at(dirfd, UTF8ToString(path));
    return path.errno ? -path.errno : KvFiles.open(path, flags);
  },
  __syscall_stat64__deps: ['$KvFiles'],
  __syscall_stat64: function(path, buf) {
    return KvFiles.stat(KvFiles.lookup(UTF8ToString(path)), buf);
  },
  __syscall_lstat64__deps: ['$KvFiles'],
  __syscall_lstat64: function(path, buf) {
    return KvFiles.stat(KvFiles.lookup(UTF8ToString(path)), buf);
  },
  __syscall_fstatat64__deps: ['$KvFiles'],
  __syscall_fstatat64: function(dirfd, path, buf, flags) {
    path = UTF8ToString(path);
    if (path === '' && (flags & {{{ cDefine('AT_EMPTY_PATH') }}})) {
      var stream = KvFiles.streams[dirfd];
      return stream ? KvFiles.stat(stream.node ? { node: stream.node } : { folder: true }, buf)
        : -{{{ cDefine('EBADF') }}};
    }
    path = KvFiles.at(dirfd, path);
    return path.errno ? -path.errno : KvFiles.stat(KvFiles.lookup(path), buf);
  },
  __syscall_fchmodat__deps: ['$KvFiles'],
  __syscall_fchmodat: function(dirfd, path, mode, varargs) {
    path = KvFiles.at(dirfd, UTF8ToString(path));
    if (path.errno) {
      return -path.errno;
    }
    var found = KvFiles.lookup(path);
    return found.errno ? -found.errno : found.node === null ? -{{{ cDefine('ENOENT') }}} : 0;
  },
  __syscall_rename__deps: ['$KvFiles'],
  __syscall_rename: function(oldPath, newPath) {
    var from = KvFiles.lookup(UTF8ToString(oldPath));
    var to = KvFiles.lookup(UTF8ToString(newPath));
    if (from.errno || to.errno) {
      return -(from.errno || to.errno);
    }
    if (from.folder || to.folder) {
      return -{{{ cDefine('EBUSY') }}};
    }
    if (from.node === null) {
      return -{{{ cDefine('ENOENT') }}};
    }
    delete KvFiles.files[from.path];
    KvFiles.files[to.path] = from.node;
    return 0;
  },
  __syscall_unlink__deps: ['$KvFiles'],
  __syscall_unlink: function(path) {
    var found = KvFiles.lookup(UTF8ToString(path));
    if (found.errno || found.folder || found.node === null) {
      return -(found.errno || (found.folder ? {{{ cDefine('EISDIR') }}}
        : {{{ cDefine('ENOENT') }}}));
    }
    delete KvFiles.files[found.path];
    return 0;
  },
  __syscall_rmdir__deps: ['$KvFiles'],
  __syscall_rmdir: function(path) {
    var found = KvFiles.lookup(UTF8ToString(path));
    return -(found.errno || (found.folder ? {{{ cDefine('EBUSY') }}}
      : found.node ? {{{ cDefine('ENOTDIR') }}} : {{{ cDefine('ENOENT') }}}));
  },
  __syscall_fcntl64__deps: ['$KvFiles'],
  __syscall_fcntl64: function(fd, cmd, varargs) {
    var stream = KvFiles.streams[fd];
    if (!stream) {
      return fd >= 0 && fd <= 2 ? 0 : -{{{ cDefine('EBADF') }}};
    }
    switch (cmd) {
      case {{{ cDefine('F_GETFL') }}}:
        return stream.flags;
      case {{{ cDefine('F_SETFL') }}}:
        var append = {{{ makeGetValue('varargs', 0, 'i32') }}} & {{{ cDefine('O_APPEND') }}};
        stream.flags = (stream.flags & ~{{{ cDefine('O_APPEND') }}}) | append;
        return 0;
      case {{{ cDefine('F_GETFD') }}}:
      case {{{ cDefine('F_SETFD') }}}:
        return 0;
      default:
        return -{{{ cDefine('EINVAL') }}};
    }
  },
  __syscall_ioctl__deps: ['$KvFiles'],
  __syscall_ioctl: function(fd, op, varargs) {
    // Standard output and error are the console, a terminal; a file is none.
    if (fd >= 0 && fd <= 2) {
      return 0;
    }
    return KvFiles.streams[fd] ? -{{{ cDefine('ENOTTY') }}} : -{{{ cDefine('EBADF') }}};
  },

  // The descriptor calls answer an error number itself (not negated).
  fd_close__deps: ['$KvFiles'],
  fd_close: function(fd) {
    if (fd >= 0 && fd <= 2) {
      return 0;
    }
    if (!KvFiles.streams[fd]) {
      return {{{ cDefine('EBADF') }}};
    }
    delete KvFiles.streams[fd];
    return 0;
  },
  fd_read__deps: ['$KvFiles'],
  fd_read: function(fd, iov, iovcnt, pnum) {
    var count = 0;
    if (fd !== 0) {
      var stream = KvFiles.fileStream(fd, false);
      if (stream.errno) {
        return stream.errno;
      }
      var node = stream.node;
      for (var i = 0; i < iovcnt; ++i) {
        var ptr = {{{ makeGetValue('iov', C_STRUCTS.iovec.iov_base, 'i32') }}} >>> 0;
        var len = {{{ makeGetValue('iov', C_STRUCTS.iovec.iov_len, 'i32') }}} >>> 0;
        iov += {{{ C_STRUCTS.iovec.__size__ }}};
        var part = Math.max(0, Math.min(len, node.size - stream.position));
        HEAPU8.set(node.data.subarray(stream.position, stream.position + part), ptr);
        stream.position += part;
        count += part;
        if (part < len) {
          break;
        }
      }
    }
    {{{ makeSetValue('pnum', 0, 'count', 'i32') }}};
    return 0;
  },
  fd_write__deps: ['$KvFiles'],
  fd_write__postset: '',
  fd_write: function(fd, iov, iovcnt, pnum) {
    var count = 0;
    var i, ptr, len;
    if (fd === 1 || fd === 2) {
      var line = KvFiles.lines[fd];
      for (i = 0; i < iovcnt; ++i) {
        ptr = {{{ makeGetValue('iov', C_STRUCTS.iovec.iov_base, 'i32') }}} >>> 0;
        len = {{{ makeGetValue('iov', C_STRUCTS.iovec.iov_len, 'i32') }}} >>> 0;
        iov += {{{ C_STRUCTS.iovec.__size__ }}};
        for (var j = 0; j < len; ++j) {
          var byte = HEAPU8[ptr + j];
          if (byte === {{{ charCode('\n') }}}) {
            (fd === 1 ? out : err)(UTF8ArrayToString(line, 0));
            line.length = 0;
          } else {
            line.push(byte);
          }
        }
        count += len;
      }
    } else {
      var stream = KvFiles.fileStream(fd, true);
      if (stream.errno) {
        return stream.errno;
      }
      var node = stream.node;
      for (i = 0; i < iovcnt; ++i) {
        ptr = {{{ makeGetValue('iov', C_STRUCTS.iovec.iov_base, 'i32') }}} >>> 0;
        len = {{{ makeGetValue('iov', C_STRUCTS.iovec.iov_len, 'i32') }}} >>> 0;
        iov += {{{ C_STRUCTS.iovec.__size__ }}};
        if (stream.flags & {{{ cDefine('O_APPEND') }}}) {
          stream.position = node.size;
        }
        var end = stream.position + len;
        if (end > node.data.length) {
          var grown = new Uint8Array(Math.max(end, node.data.length * 2, 256));
          grown.set(node.data.subarray(0, node.size));
          node.data = grown;
        }
        if (stream.position > node.size) {
          node.data.fill(0, node.size, stream.position);
        }
        node.data.set(HEAPU8.subarray(ptr, ptr + len), stream.position);
        stream.position = end;
        node.size = Math.max(node.size, end);
        count += len;
      }
    }
    {{{ makeSetValue('pnum', 0, 'count', 'i32') }}};
    return 0;
  },
  fd_seek__deps: ['$KvFiles'],
  fd_seek: function(fd, {{{ defineI64Param('offset') }}}, whence, newOffset) {
    {{{ receiveI64ParamAsI32s('offset') }}}
    var stream = KvFiles.streams[fd];
    if (!stream) {
      return fd >= 0 && fd <= 2 ? {{{ cDefine('ESPIPE') }}} : {{{ cDefine('EBADF') }}};
    }
    var offset = offset_high * 0x100000000 + (offset_low >>> 0);
    var base = whence === {{{ cDefine('SEEK_SET') }}} ? 0
      : whence === {{{ cDefine('SEEK_CUR') }}} ? stream.position
      : whence === {{{ cDefine('SEEK_END') }}} ? (stream.node ? stream.node.size : 0) : NaN;
    var position = base + offset;
    if (!(position >= 0) || position > 0x7fffffff) {
      return {{{ cDefine('EINVAL') }}};
    }
    stream.position = position;
    {{{ makeSetValue('newOffset', '0', 'position', 'i64') }}};
    return 0;
  },
  fd_sync__deps: ['$KvFiles'],
  fd_sync: function(fd) {
    return KvFiles.streams[fd] || (fd >= 0 && fd <= 2) ? 0 : {{{ cDefine('EBADF') }}};
  },
});
