#!/usr/bin/env bash
# Damages copies of the reader's archives at random and checks how the tools take it.
#
#   damage-sweep.sh BIN_DIR [COPIES] [SEED]
#
# BIN_DIR holds pagora-pack, the eleven archives and, when built, pagora-export (best the
# sanitizer build: build-san/bin). Each copy damages one archive in one way: bit flips, bytes
# zeroed, a cut or an appended tail, an edited trailer, member count, size or name, a member
# dropped, or a stored stream replaced by plain text of its length. Then it runs
#   pagora-pack verify DIR --no-sources      must fail whenever a member no longer extracts intact
#   pagora-pack extract ARCHIVE MEMBER...    every member written must equal the intact one, and
#                                            the exit status must say whether all were written
#   pagora-export --page N --png FILE        a page of the damaged archive; an image made with
#                                            exit status 0 must equal the intact page's
# and counts crashes (a signal or a sanitizer report), hangs, wrong exit codes, wrongly
# extracted members and pages shown from damaged data. Exits 1 when any of these is not 0.
set -uo pipefail

if [ $# -lt 1 ] || [ ! -x "$1/pagora-pack" ]; then
  echo "usage: $0 BIN_DIR [COPIES] [SEED]   (BIN_DIR holds pagora-pack and the archives)" >&2
  exit 2
fi
bin="$(cd "$1" && pwd)"
copies="${2:-300}"
seed="${3:-16}"
RANDOM=$seed
pack="$bin/pagora-pack"
export_bin="$bin/pagora-export"
[ -x "$export_bin" ] || export_bin=""
archives=(support.dat order0.dat order1.dat order2.dat order3.dat order4.dat order5.dat
          order6.dat order7.dat order8.dat order9.dat)

# Beside BIN_DIR, so that pagora-export can be linked into each copy's folder: it reads the
# archives from its own folder.
work="$(mktemp -d "$bin/../damage-sweep.XXXXXX")"
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work/tmp" ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
mkdir -p "$TMPDIR" "$work/intact" "$work/images"

# Sets r to a number from 0 to $1 - 1. No subshell: those would reseed the generator.
random() {
  r=$(( (RANDOM * 32768 + RANDOM) % $1 ))
}

# The member names of an intact archive, from the listing (first column, after two lines).
names_of() {
  "$pack" list "$bin/$1" | tail -n +3 | awk '{print $1}'
}
declare -A members
for a in "${archives[@]}"; do
  members[$a]="$(names_of "$a" | tr '\n' ' ')"
  mkdir -p "$work/intact/$a"
  # shellcheck disable=SC2086
  "$pack" extract "$bin/$a" ${members[$a]} --to "$work/intact/$a" > /dev/null ||
    { echo "$0: $a does not extract intact" >&2; exit 2; }
done

# --- damage ---------------------------------------------------------------------------------

set_byte() {  # FILE OFFSET VALUE
  printf "\\x$(printf %02x "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
get_byte() {
  od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '
}
# Splits the archive FILE into $body (path of a file with the streams), $directory and $fields.
read_directory() {
  local file="$1" length d
  length=$(stat -c %s "$file")
  d=$(tail -c 10 "$file" | tr -d ' ')
  directory="$(tail -c $((d + 10)) "$file" | head -c "$d")"
  head -c $((length - 10 - d)) "$file" > "$work/body"
  IFS=':' read -ra fields <<< "$directory"
}
# Writes $work/body, DIRECTORY and a matching trailer as FILE.
write_archive() {
  { cat "$work/body"; printf '%s' "$2"; printf '%-10s' "${#2}"; } > "$1"
}
join_fields() {
  local IFS=':'
  echo "$*:"
}

# Damages FILE in one random way; sets $what to what it did.
damage() {
  local file="$1" length count k n offset size bits
  length=$(stat -c %s "$file")
  read_directory "$file"
  count=${fields[0]}
  random "$count"; k=$((r + 1))
  offset=0
  for ((n = 1; n < k; n++)); do offset=$((offset + fields[2 * count + n])); done
  size=${fields[2 * count + k]}
  random 11
  case $r in
    0) random 4; bits=$((r + 1))
       for ((n = 0; n < bits; n++)); do
         random "$length"; offset=$r
         random 8
         set_byte "$file" "$offset" $(( $(get_byte "$file" "$offset") ^ (1 << r) ))
       done
       what="$bits bits flipped" ;;
    1) random "$length"; offset=$r
       random 64; n=$((r + 1))
       dd if=/dev/zero of="$file" bs=1 seek="$offset" count="$n" conv=notrunc status=none
       what="$n bytes zeroed at $offset" ;;
    2) random "$length"; truncate -s "$r" "$file"; what="cut to $r bytes" ;;
    3) random 100; n=$((r + 1))
       for ((bits = 0; bits < n; bits++)); do
         random 256; printf "\\x$(printf %02x $r)"
       done >> "$file"
       what="$n random bytes appended" ;;
    4) local trailers=("$(( ${#directory} + 1 ))" "$(( ${#directory} - 1 ))" "x${#directory}"
                       "  ${#directory}x" "-${#directory}" "$(( ${#directory} * 10 ))")
       random ${#trailers[@]}
       local t=${trailers[r]}
       { cat "$work/body"; printf '%s' "$directory"; printf '%-10s' "$t"; } > "$file"
       what="trailer \"$t\"" ;;
    5) random 2; fields[0]=$(( count + (r == 0 ? -1 : 1) ))
       write_archive "$file" "$(join_fields "${fields[@]}")"
       what="member count $count -> ${fields[0]}" ;;
    6) random 2; n=$(( r == 0 ? -1 : 1 ))
       random 40; fields[2 * count + k]=$(( size + n * (r + 1) ))
       write_archive "$file" "$(join_fields "${fields[@]}")"
       what="size of member $k $size -> ${fields[2 * count + k]}" ;;
    7) fields[k]="${fields[k]}x"
       write_archive "$file" "$(join_fields "${fields[@]}")"
       what="member $k renamed ${fields[k]}" ;;
    8) # The member dropped from the directory with its stream: an archive that lacks it.
       { head -c "$offset" "$work/body"; tail -c +$((offset + size + 1)) "$work/body"; } \
         > "$work/cut" && mv "$work/cut" "$work/body"
       local kept=("$((count - 1))")
       for ((n = 1; n <= 3 * count; n++)); do
         [ $(( (n - 1) % count + 1 )) -ne "$k" ] && kept+=("${fields[n]}")
       done
       write_archive "$file" "$(join_fields "${kept[@]}")"
       what="member $k dropped" ;;
    *) head -c "$size" /dev/zero | tr '\0' 'p' |
         dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
       what="member $k's stream replaced by plain text" ;;
  esac
}

# --- runs -----------------------------------------------------------------------------------

crashes=0 hangs=0 wrong_status=0 wrong_members=0 shown_damaged=0 verify_false=0 message_pages=0
refused=0 harmless=0
report=()

# Runs a command with a time limit; sets $status and keeps its error output in $work/err.
run() {
  timeout 300 "$@" > "$work/out" 2> "$work/err"
  status=$?
  if [ $status -eq 124 ]; then
    hangs=$((hangs + 1)); report+=("$case_name: hang: $*")
  elif [ $status -ge 128 ] || grep -qE 'Sanitizer|runtime error:' "$work/err"; then
    crashes=$((crashes + 1)); report+=("$case_name: crash ($status): $* $(head -c 300 "$work/err")")
  fi
}

intact_image() {  # PAGE: the image of the page from the intact archives
  local png="$work/images/$1.png"
  [ -f "$png" ] || "$export_bin" --page "$1" --png "$png" > /dev/null 2>&1
  echo "$png"
}

for ((i = 1; i <= copies; i++)); do
  random ${#archives[@]}
  archive=${archives[r]}
  dir="$work/copy"
  rm -rf "$dir" && mkdir -p "$dir/out"
  for a in "${archives[@]}"; do ln "$bin/$a" "$dir/$a"; done
  rm "$dir/$archive" && cp "$bin/$archive" "$dir/$archive"
  damage "$dir/$archive"
  case_name="copy $i ($archive: $what)"

  # shellcheck disable=SC2086
  run "$pack" extract "$dir/$archive" ${members[$archive]} --to "$dir/out"
  intact=1
  for m in ${members[$archive]}; do
    if [ -f "$dir/out/$m" ]; then
      if ! cmp -s "$dir/out/$m" "$work/intact/$archive/$m"; then
        wrong_members=$((wrong_members + 1)); intact=0
        report+=("$case_name: member $m extracted with other content")
      fi
    else
      intact=0
    fi
  done
  if [ $status -ne $((1 - intact)) ] && [ $status -lt 124 ]; then
    wrong_status=$((wrong_status + 1))
    report+=("$case_name: pagora-pack extract exit status $status")
  fi
  [ $intact -eq 1 ] && harmless=$((harmless + 1)) || refused=$((refused + 1))

  run "$pack" verify "$dir" --no-sources
  if [ $status -eq 0 ] && [ $intact -eq 0 ]; then
    verify_false=$((verify_false + 1)); report+=("$case_name: pagora-pack verify passed")
  elif [ $status -gt 1 ] && [ $status -lt 124 ]; then
    wrong_status=$((wrong_status + 1)); report+=("$case_name: pagora-pack verify exit $status")
  fi

  if [ -n "$export_bin" ]; then
    ln "$export_bin" "$dir/pagora-export"
    if [ "$archive" = support.dat ]; then
      random 604; page=$((r + 1))
    else
      read -ra keys <<< "${members[$archive]}"
      random ${#keys[@]}; page=$((10#${keys[r]}))
    fi
    run "$dir/pagora-export" --page "$page" --png "$dir/page.png"
    if [ $status -eq 0 ] && ! cmp -s "$dir/page.png" "$(intact_image "$page")"; then
      # The reader's page saying why the page cannot be shown is no damaged page, but it is
      # no success either.
      if grep -q "cannot be shown" "$work/err"; then
        message_pages=$((message_pages + 1))
        report+=("$case_name: pagora-export page $page: a failure page, exit 0")
      else
        shown_damaged=$((shown_damaged + 1))
        report+=("$case_name: pagora-export page $page made an image of damaged data, exit 0")
      fi
    elif [ $status -gt 1 ] && [ $status -lt 124 ]; then
      wrong_status=$((wrong_status + 1)); report+=("$case_name: pagora-export exit $status")
    fi
  fi
  printf '\r%d/%d' "$i" "$copies" >&2
done
echo >&2

printf '%s\n' "${report[@]}"
exported="pages shown from damaged data $shown_damaged, failure pages with exit 0 $message_pages"
[ -n "$export_bin" ] || exported="pagora-export not built"
echo "damage-sweep: $copies damaged copies (seed $seed): $refused refused by extraction," \
     "$harmless harmless to it; crashes $crashes, hangs $hangs, wrong exit codes $wrong_status," \
     "members extracted wrong $wrong_members, verify passing damage $verify_false, $exported"
[ $((crashes + hangs + wrong_status + wrong_members + verify_false + shown_damaged +
     message_pages)) -eq 0 ]
