# TraceIdentity.cmake - runs one case of TraceDigests.txt and compares its trace's digest.
#
#   cmake -DHOST=<tarvenix-host> -DDIGESTS=<TraceDigests.txt> -DWORK=<dir> -DCASE=<name> -P TraceIdentity.cmake
#
# Without CASE it runs every case and prints each line with the digest it got: that is how the
# file's digests were made, and how a deliberate change of the plan would remake them.
cmake_minimum_required(VERSION 3.25)

foreach(required IN ITEMS HOST DIGESTS WORK)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "TraceIdentity.cmake needs -D${required}=...")
    endif()
endforeach()

# Fills name, generate, plan and digest from one "a | b | c | d" line.
function(parse_case line)
    string(REPLACE "|" ";" fields "${line}")
    list(LENGTH fields count)
    if(NOT count EQUAL 4)
        message(FATAL_ERROR "malformed line in ${DIGESTS}: ${line}")
    endif()
    set(parts name generate plan digest)
    foreach(index RANGE 3)
        list(GET fields ${index} field)
        string(STRIP "${field}" field)
        list(GET parts ${index} part)
        set(${part} "${field}" PARENT_SCOPE)
    endforeach()
endfunction()

# Runs the case and sets traced to the digest of its trace.
function(trace_case name generate plan)
    set(dir "${WORK}/${name}")
    file(REMOVE_RECURSE "${dir}")
    file(MAKE_DIRECTORY "${dir}")
    set(galaxy_args "")
    if(generate)
        separate_arguments(generate_list UNIX_COMMAND "${generate}")
        execute_process(COMMAND "${HOST}" generate ${generate_list} --out "${dir}/galaxy.json"
                        RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "${name}: generate ${generate} failed (${status}): ${errors}")
        endif()
        set(galaxy_args --galaxy "${dir}/galaxy.json")
    endif()
    separate_arguments(plan_list UNIX_COMMAND "${plan}")
    execute_process(COMMAND "${HOST}" plan ${galaxy_args} ${plan_list} --trace "${dir}/trace.jsonl"
                    RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${name}: plan ${plan} failed (${status}): ${errors}")
    endif()
    file(SHA256 "${dir}/trace.jsonl" sum)
    set(traced "${sum}" PARENT_SCOPE)
endfunction()

file(STRINGS "${DIGESTS}" lines REGEX "^[^#]")
set(found FALSE)
foreach(line IN LISTS lines)
    parse_case("${line}")
    if(DEFINED CASE AND NOT name STREQUAL CASE)
        continue()
    endif()
    set(found TRUE)
    trace_case("${name}" "${generate}" "${plan}")
    if(NOT DEFINED CASE)
        message("${name} | ${generate} | ${plan} | ${traced}")
    elseif(NOT traced STREQUAL digest)
        message(FATAL_ERROR "${name}: the trace changed: digest ${traced}, expected ${digest}; "
                            "compare ${WORK}/${name}/trace.jsonl with one made by the earlier tree")
    else()
        file(REMOVE_RECURSE "${WORK}/${name}") # kept only when it differs, to be compared
    endif()
endforeach()
if(NOT found)
    message(FATAL_ERROR "no case '${CASE}' in ${DIGESTS}")
endif()
