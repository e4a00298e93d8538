# Running 32-bit x86 Linux programs here, for the i386 build (./test-i386),
# and telling whether they run only emulated (./build-windows).  Sourced.
#
# The 32-bit Windows programs cannot run on these machines, but the same
# sources built for i386 Linux can: there size_t, pointers and ODBC's
# SQLLEN/SQLULEN are 4 bytes, as in the 32-bit Windows programs.  Where the
# kernel runs no 32-bit code, qemu-user runs it, registered for i386
# programs through binfmt_misc, so that every program a test starts (the
# command-line tool, the ODBC drivers it loads) runs as well.  Where the
# kernel runs 32-bit code itself, nothing is registered: an emulator put in
# front of it would take 32-bit programs away from the kernel for everyone
# (wine32 among them).

# What the i386 build needs beside the native build's packages: the 32-bit
# compilers and libraries, and the i386 ODBC drivers (odbcinst.ini names
# drivers by bare file name, so a 32-bit process loads the 32-bit one).
# qemu-user without its recommended qemu-user-binfmt, which would register
# emulators for every processor.
ORVEL_I386_PACKAGES=(g++-multilib qemu-user
  unixodbc-dev:i386 libfmt-dev:i386 libgtest-dev:i386 libgmock-dev:i386 tdsodbc:i386 libsqliteodbc:i386)

orvel_binfmt=/proc/sys/fs/binfmt_misc

# The registration of qemu-i386 for 32-bit x86 ELF programs (executables and
# shared objects, e_machine 3).
orvel_i386_binfmt_entry='qemu-i386'
orvel_i386_binfmt_line=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:'

# orvel_i386_programs_emulated: whether an enabled binfmt_misc entry hands
# 32-bit x86 programs to an interpreter (qemu-i386 under any name).  The
# kernel asks binfmt_misc before its own loader, so then 32-bit code runs
# only emulated, even on a kernel that could run it.
orvel_i386_programs_emulated() {
  grep -qx enabled "$orvel_binfmt/status" 2>/dev/null || return 1
  local entry magic
  for entry in "$orvel_binfmt"/*; do
    case ${entry##*/} in register | status) continue ;; esac
    grep -qx enabled "$entry" 2>/dev/null && grep -qx 'offset 0' "$entry" 2>/dev/null || continue
    magic=$(sed -n 's/^magic //p' "$entry" 2>/dev/null)
    # ELF, 32-bit class (byte 4), machine 3 = i386 (bytes 18 and 19).
    [[ $magic == 7f454c4601* && ${magic:36:4} == 0300 ]] && return 0
  done
  return 1
}

# orvel_runs_i386_programs: whether a 32-bit x86 program runs here, natively
# or emulated (the C library's 32-bit loader, harmless, is the probe).
orvel_runs_i386_programs() {
  /lib/ld-linux.so.2 --help >/dev/null 2>&1
}

# orvel_enable_i386_programs: makes 32-bit x86 programs run here, registering
# qemu-i386 when the kernel cannot run them (idempotent).  When that is not
# possible, sets orvel_i386_unavailable to the reason and returns 1.
orvel_enable_i386_programs() {
  orvel_i386_unavailable=
  orvel_runs_i386_programs && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  if [ ! -e "$orvel_binfmt/register" ] &&
      ! "${sudo[@]}" mount -t binfmt_misc binfmt_misc "$orvel_binfmt" 2>/dev/null; then
    orvel_i386_unavailable="binfmt_misc cannot be mounted at $orvel_binfmt (it needs root, and in a container the privilege to mount)"
    return 1
  fi
  if ! grep -qx enabled "$orvel_binfmt/status" 2>/dev/null; then
    orvel_i386_unavailable="binfmt_misc is switched off on this machine ($orvel_binfmt/status)"
    return 1
  fi
  local target=$orvel_binfmt/register text=$orvel_i386_binfmt_line written
  if [ -e "$orvel_binfmt/$orvel_i386_binfmt_entry" ]; then
    # Registered before, and switched off since: switch it on again.
    target=$orvel_binfmt/$orvel_i386_binfmt_entry text=1
  fi
  if ! written=$(printf '%s' "$text" | "${sudo[@]}" tee "$target" 2>&1 >/dev/null); then
    orvel_i386_unavailable="qemu-i386 cannot be registered with binfmt_misc ($target): $written"
    return 1
  fi
  if ! orvel_runs_i386_programs; then
    orvel_i386_unavailable="32-bit x86 programs do not start even with qemu-i386 registered ($orvel_binfmt)"
    return 1
  fi
}
