# Fails when any of FILES ("|"-separated binaries, archives or objects) has an undefined symbol
# of a network API: BSD sockets and name lookup, libcurl, Qt Network, or the URL loading and
# network frameworks of macOS. Used as: cmake -DNM=nm -DFILES=a|b -P NoNetworkSymbols.cmake
string(REPLACE "|" ";" files "${FILES}")
if(NOT files)
  message(FATAL_ERROR "no files to check")
endif()

# C functions match by their whole name; the rest by a part of a C++ or Objective-C name.
set(functions "socket|connect|bind|listen|accept|accept4|send|sendto|sendmsg|recv|recvfrom|recvmsg|getaddrinfo|getnameinfo|gethostbyname|gethostbyname2|gethostbyaddr|res_query|res_search")
set(fragments "curl_|QNetwork|QTcpSocket|QTcpServer|QUdpSocket|QSslSocket|QHostInfo|NSURLSession|NSURLConnection|NSURLDownload|CFSocket|CFHost|CFNetwork|CFReadStreamCreateWithFTPURL|nw_connection|nw_endpoint|SCNetworkReachability")

set(found "")
foreach(file IN LISTS files)
  execute_process(COMMAND ${NM} -C --undefined-only ${file}
                  RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${file}:\n${errors}")
  endif()
  string(REPLACE "\n" ";" lines "${output}")
  foreach(line IN LISTS lines)
    # "                 U connect@GLIBC_2.2.5": the name without its version, and without a
    # leading underscore (Mach-O).
    string(REGEX REPLACE "^[ \t]*U[ \t]+" "" name "${line}")
    string(REGEX REPLACE "@.*$" "" name "${name}")
    string(REGEX REPLACE "^_" "" bare "${name}")
    if(bare MATCHES "^(${functions})$" OR name MATCHES "(${fragments})")
      list(APPEND found "${file}: ${name}")
    endif()
  endforeach()
endforeach()

if(found)
  string(REPLACE ";" "\n  " found "${found}")
  message(FATAL_ERROR "network API referenced:\n  ${found}")
endif()
