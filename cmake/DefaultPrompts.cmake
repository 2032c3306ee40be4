# qlnrec_default_prompts(target): speaks the prompts a fresh install answers with, in the
# program's three languages, and carries them in target as Qt resources under
# ":/prompts/<language>/<file>". The three line prompts are PCM 8 kHz 16-bit mono (what the line
# plays and the greeting recorder records); the four menu prompts 01..04 are 11,025 Hz, as the
# sound-card recorder makes them. Needs espeak-ng and sox when the build runs.
find_program(QLNREC_ESPEAK_NG espeak-ng)
find_program(QLNREC_SOX sox)
if(NOT QLNREC_ESPEAK_NG)
  message(FATAL_ERROR "espeak-ng was not found: it speaks the default prompts. "
                      "Install it (scripts/install-deps.sh, Debian package espeak-ng).")
endif()
if(NOT QLNREC_SOX)
  message(FATAL_ERROR "sox was not found: it converts the default prompts. "
                      "Install it (scripts/install-deps.sh, Debian package sox).")
endif()

# language;voice pairs. The plain "cmn" voice of espeak-ng 1.51 reads the pinyin of its own
# dictionary with English letters; "cmn-latn-pinyin" speaks it as Mandarin.
set(QLNREC_PROMPT_LANGUAGES "en;en" "zh-CN;cmn-latn-pinyin" "zh-TW;cmn-latn-pinyin")

set(QLNREC_PROMPT_en_Greeting "Hello. Nobody can take your call right now. Please leave a message after the tone.")
set(QLNREC_PROMPT_en_legal "Please note: this call will be recorded.")
set(QLNREC_PROMPT_en_donotcall "This number does not take your calls. Please remove it from your list. Goodbye.")
set(QLNREC_PROMPT_en_01 "Operator one, you have a call.")
set(QLNREC_PROMPT_en_02 "Operator two, you have a call.")
set(QLNREC_PROMPT_en_03 "Operator three, you have a call.")
set(QLNREC_PROMPT_en_04 "Operator four, you have a call.")

set(QLNREC_PROMPT_zh-CN_Greeting "您好。现在无人接听您的电话。请在提示音后留言。")
set(QLNREC_PROMPT_zh-CN_legal "请注意，本次通话将被录音。")
set(QLNREC_PROMPT_zh-CN_donotcall "本号码不接受您的来电。请将它从您的名单中删除。再见。")
set(QLNREC_PROMPT_zh-CN_01 "一号分机，您有电话。")
set(QLNREC_PROMPT_zh-CN_02 "二号分机，您有电话。")
set(QLNREC_PROMPT_zh-CN_03 "三号分机，您有电话。")
set(QLNREC_PROMPT_zh-CN_04 "四号分机，您有电话。")

set(QLNREC_PROMPT_zh-TW_Greeting "您好。現在無人接聽您的電話。請在提示音後留言。")
set(QLNREC_PROMPT_zh-TW_legal "請注意，本次通話將被錄音。")
set(QLNREC_PROMPT_zh-TW_donotcall "本號碼不接受您的來電。請將它從您的名單中刪除。再見。")
set(QLNREC_PROMPT_zh-TW_01 "一號分機，您有電話。")
set(QLNREC_PROMPT_zh-TW_02 "二號分機，您有電話。")
set(QLNREC_PROMPT_zh-TW_03 "三號分機，您有電話。")
set(QLNREC_PROMPT_zh-TW_04 "四號分機，您有電話。")

function(qlnrec_default_prompts target)
  set(root ${CMAKE_CURRENT_BINARY_DIR}/prompts)
  set(outputs "")
  # The pairs arrive as one flat list: language, voice, language, voice, ...
  set(flat ${QLNREC_PROMPT_LANGUAGES})
  list(LENGTH flat count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET flat ${i} language)
    list(GET flat ${j} voice)
    file(MAKE_DIRECTORY ${root}/${language})
    foreach(name Greeting legal donotcall 01 02 03 04)
      if(name MATCHES "^0")
        set(rate 11025)
      else()
        set(rate 8000)
      endif()
      set(text ${root}/${language}/${name}.txt)
      set(spoken ${root}/${language}/${name}.spoken.wav)
      set(wav ${root}/${language}/${name}.wav)
      file(CONFIGURE OUTPUT ${text} CONTENT "${QLNREC_PROMPT_${language}_${name}}\n")
      # sox without dither (-D): the same text gives the same bytes at every build.
      add_custom_command(OUTPUT ${wav}
        COMMAND ${QLNREC_ESPEAK_NG} -v ${voice} -s 150 -f ${text} -w ${spoken}
        COMMAND ${QLNREC_SOX} -D ${spoken} -r ${rate} -b 16 -c 1 -e signed-integer ${wav}
        COMMAND ${CMAKE_COMMAND} -E remove ${spoken}
        DEPENDS ${text} ${PROJECT_SOURCE_DIR}/cmake/DefaultPrompts.cmake
        COMMENT "Speaking the ${language} prompt ${name}.wav"
        VERBATIM)
      list(APPEND outputs ${wav})
      # The program carries them; installed as files too, so a user can start a prompt of their
      # own from one or put a shipped one back.
      install(FILES ${wav} DESTINATION ${QLNREC_DATA_SUBDIR}/prompts/${language})
    endforeach()
  endforeach()
  qt_add_resources(${target} qlnrec_default_prompts PREFIX /prompts BASE ${root} FILES ${outputs})
endfunction()
