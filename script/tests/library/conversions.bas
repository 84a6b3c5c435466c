' Conversions.
Sub Main
  Print CStr(12) & CStr(1.5) & CStr(True) & " " & TypeName(CStr(1)) ' expect: 121.5True String
  Print CInt(2.5) & " " & CInt(3.5) & " " & CInt("-7") & " " & CLng(1234567.5) & " " & TypeName(CLng(1)) ' expect: 2 4 -7 1234568 Long
  Print CDbl("1.5e3") & " " & CSng(0.5) & " " & TypeName(CSng(1)) & " " & CBool("true") & CBool(0) & CBool(-3) ' expect: 1500 0.5 Single TrueFalseTrue
  Print CDate("2026-12-11") & " " & TypeName(CDate("1/2/2026")) & " " & CDate(46367) ' expect: 12/11/2026 Date 12/11/2026
  Print Val("  12.5kg") & " " & Val("&HFF") & " " & Val("abc") & " " & Val("1 2 3") ' expect: 12.5 255 0 123
  Print Str(5) & "|" & Str(-5) & "|" & Hex(255) & "|" & Hex(-1) & "|" & Oct(8) ' expect:  5|-5|FF|FFFF|10
  Print Int(2.7) & " " & Int(-2.7) & " " & Fix(2.7) & " " & Fix(-2.7) & " " & Round(2.5) & " " & Round(2.675, 2) ' expect: 2 -3 2 -2 2 2.68
  On Error Resume Next
  x = CInt(40000)
  Print Err.Number ' expect: 6
  On Error GoTo 0
  MoreConversions
End Sub

Sub MoreConversions()
  Print TypeName(CVar(5)) & " " & CByte(200) & " " & CCur(1.25) & " " & TypeName(CLngLng(5)) ' expect: Integer 200 1.25 LongLong
  Print ChrW(66) & AscW("C") & " " & Oct(64) & " " & IsError(CVErrLike()) ' expect: B67 100 False
End Sub

Function CVErrLike()
  CVErrLike = 0
End Function
