#!/usr/bin/env bash
# Holds the product's #includes to the direction its build files state: a file
# in folder F may include headers of F itself, of the folders whose libraries
# F's library links, and leaf headers (a library named after its header) that
# F links. Anything else is a use that runs the wrong way.
# Usage: include_direction.sh SOURCE_ROOT RULES   (RULES: "folder: linked libraries" lines)
set -uo pipefail
root=$1 rules=$2
violations=0
while IFS=: read -r folder linked; do
  [ -n "$folder" ] || continue
  allowed=" $folder $(echo "$linked" | tr ';,' '  ') "
  for file in "$root/$folder"/*.h "$root/$folder"/*.cpp; do
    [ -e "$file" ] || continue
    while IFS= read -r include; do
      dir=${include%%/*} name=$(basename "$include" .h)
      [ "$dir" = "$include" ] && continue  # not a project path
      case "$allowed" in
        *" $dir "* | *" $name "*) ;;
        *)
          echo "${file#"$root"/}: includes \"$include\", but $folder/ does not link it"
          violations=$((violations + 1))
          ;;
      esac
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
  done
done <"$rules"
if [ "$violations" = 0 ]; then
  echo "every #include of the product runs the way its CMakeLists.txt state"
fi
[ "$violations" = 0 ]
