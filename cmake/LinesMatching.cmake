# The lines of src/<where> that match `regex`, each as "\n  src/<where>:<line>: <text>",
# appended to the variable named `out`: what the source checks print for each offence.
function(pk_lines_matching source_dir where regex out)
  file(READ ${source_dir}/${where} text)
  # Characters that would split or join the list's elements wrongly carry no word.
  string(REGEX REPLACE "[][;\\\\]" " " text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(found "${${out}}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "${regex}")
      string(STRIP "${line}" line)
      string(APPEND found "\n  src/${where}:${number}: ${line}")
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()
