# Sourced by the Windows build scripts: puts the POSIX-threads flavour of the MinGW-w64 tools first
# on PATH under their plain names (std::thread and std::mutex need it; the win32 flavour has
# neither), so Qt's mkspec and CMake both find the same compiler.
_qeto_mingw_bin=${QETO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qeto-desk}/mingw-posix-bin
mkdir -p "$_qeto_mingw_bin"
for _t in gcc g++ c++ cpp gcc-ar gcc-nm gcc-ranlib; do
  if [ ! -x "/usr/bin/x86_64-w64-mingw32-$_t-posix" ]; then
    echo "mingw-env: x86_64-w64-mingw32-$_t-posix missing (package g++-mingw-w64-x86-64-posix)" >&2
    return 1
  fi
  ln -sf "/usr/bin/x86_64-w64-mingw32-$_t-posix" "$_qeto_mingw_bin/x86_64-w64-mingw32-$_t"
done
case ":$PATH:" in *":$_qeto_mingw_bin:"*) ;; *) PATH="$_qeto_mingw_bin:$PATH" ;; esac
export PATH
unset _t
