# The program's version information, embedded as a framed block that the reader finds again
# by scanning a file's bytes.
#
# plashbox_version_block(OUTPUT): writes OUTPUT, a C++ include holding the block's bytes,
# from the project's version and the names below.
set(PLASHBOX_COMPANY_NAME "Plashbox")
set(PLASHBOX_PRODUCT_NAME "Plashbox")
set(PLASHBOX_FILE_DESCRIPTION "Plashbox water-wave tank")
set(PLASHBOX_LEGAL_COPYRIGHT "Copyright © 2026 Plashbox")
set(PLASHBOX_INTERNAL_NAME "plashbox")
set(PLASHBOX_ORIGINAL_FILENAME "plashbox")
set(PLASHBOX_COMMENTS "A real-time water-wave tank for teaching wave physics")
# US English, UTF-8: the strings are stored as UTF-8.
set(PLASHBOX_LANG_CHARSET "0409FDE9")

function(plashbox_hex out value digits)
  math(EXPR hex "${value}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${hex}" 2 -1 hex)
  string(TOUPPER "${hex}" hex)
  string(LENGTH "${hex}" length)
  if(length LESS digits)
    math(EXPR pad "${digits} - ${length}")
    string(REPEAT "0" ${pad} zeros)
    set(hex "${zeros}${hex}")
  endif()
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

set(PLASHBOX_VERSION_BLOCK_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/PlashboxVersionBlock.inc.in)

function(plashbox_version_block output)
  set(_version_parts)
  foreach(part MAJOR MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
      list(APPEND _version_parts 0)
    else()
      list(APPEND _version_parts ${PROJECT_VERSION_${part}})
    endif()
  endforeach()
  list(GET _version_parts 0 _major)
  list(GET _version_parts 1 _minor)
  list(GET _version_parts 2 _patch)
  list(GET _version_parts 3 _tweak)
  plashbox_hex(_version_ms "(${_major} << 16) | ${_minor}" 8)
  plashbox_hex(_version_ls "(${_patch} << 16) | ${_tweak}" 8)
  # Debug builds say so; a 0.x version is a pre-release.
  set(_file_flags 0)
  if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    math(EXPR _file_flags "${_file_flags} | 0x01")
  endif()
  if(_major EQUAL 0)
    math(EXPR _file_flags "${_file_flags} | 0x02")
  endif()
  plashbox_hex(_file_flags "${_file_flags}" 8)

  set(_strings "\\StringFileInfo\\${PLASHBOX_LANG_CHARSET}\\")
  string(SUBSTRING "${PLASHBOX_LANG_CHARSET}" 0 4 _lang)
  string(SUBSTRING "${PLASHBOX_LANG_CHARSET}" 4 4 _charset)
  string(JOIN "\n" _payload
    # Signature, structure version, file and product version, flags mask, flags, OS, type
    # (an application), subtype, date.
    "\\=FEEF04BD 00010000 ${_version_ms} ${_version_ls} ${_version_ms} ${_version_ls} 0000003F ${_file_flags} 00000000 00000001 00000000 00000000 00000000"
    "\\VarFileInfo\\Translation=${_lang} ${_charset}"
    "${_strings}CompanyName=${PLASHBOX_COMPANY_NAME}"
    "${_strings}FileDescription=${PLASHBOX_FILE_DESCRIPTION}"
    "${_strings}FileVersion=${_major}.${_minor}.${_patch}.${_tweak}"
    "${_strings}InternalName=${PLASHBOX_INTERNAL_NAME}"
    "${_strings}LegalCopyright=${PLASHBOX_LEGAL_COPYRIGHT}"
    "${_strings}OriginalFilename=${PLASHBOX_ORIGINAL_FILENAME}"
    "${_strings}ProductName=${PLASHBOX_PRODUCT_NAME}"
    "${_strings}ProductVersion=${PROJECT_VERSION}"
    "${_strings}Comments=${PLASHBOX_COMMENTS}"
    ""
  )
  string(LENGTH "${_payload}" _payload_length)
  plashbox_hex(_payload_length "${_payload_length}" 8)
  string(HEX "@PLASHBOX-VERSION-BLOCK-1@${_payload_length}\n${_payload}@END-PLASHBOX-VERSION-BLOCK@" _block)
  string(REGEX REPLACE "(..)" "0x\\1," _block "${_block}")
  string(REPEAT "0x..," 16 _row)
  string(REGEX REPLACE "(${_row})" "\\1\n" PLASHBOX_VERSION_BLOCK_BYTES "${_block}")
  configure_file(${PLASHBOX_VERSION_BLOCK_TEMPLATE} ${output} @ONLY)
endfunction()
