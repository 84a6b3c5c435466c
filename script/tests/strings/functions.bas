' The string functions.
Sub Main
  Dim s: s = "Hello, World"
  Print Len(s) & " " & Left(s, 5) & "|" & Right(s, 5) & "|" & Mid(s, 8) & "|" & Mid(s, 8, 3) ' expect: 12 Hello|World|World|Wor
  Print InStr(s, "o") & " " & InStr(6, s, "o") & " " & InStr(s, "z") & " " & InStr(1, s, "WORLD", vbTextCompare) ' expect: 5 9 0 8
  Print InStrRev(s, "o") & " " & InStrRev(s, "o", 8) & " " & InStrRev(s, "x") ' expect: 9 5 0
  Print LCase(s) & "|" & UCase(s) ' expect: hello, world|HELLO, WORLD
  Print "[" & LTrim("  a  ") & "][" & RTrim("  a  ") & "][" & Trim("  a  ") & "]" ' expect: [a  ][  a][a]
  Print "[" & Space(3) & "]" & String(4, "*") & String(2, 65) ' expect: [   ]****AA
  Print Chr(72) & Chr(105) & " " & Asc("A") & " " & Asc("abc") ' expect: Hi 65 97
  Print Replace(s, "o", "0") & "|" & Replace("aXbXc", "x", "-", 1, 1, vbTextCompare) & "|" & Replace("abcabc", "b", "", 3) ' expect: Hell0, W0rld|a-bXc|cac
  Dim parts: parts = Split("a,b,,c", ",")
  Print UBound(parts) & " " & parts(3) & " " & Join(parts, "+") ' expect: 3 c a+b++c
  parts = Split("one two three")
  Print parts(1) & " " & UBound(Split("")) & " " & UBound(Split("a;b;c", ";", 2)) ' expect: two -1 1
  Print StrComp("a", "b") & StrComp("b", "a") & StrComp("A", "a") & StrComp("A", "a", vbTextCompare) ' expect: -11-10
  Print Left$("abc", 1) & UCase$("d") & Mid$("xyz", 2, 1) ' expect: aDy
  Print StrReverse("abc") & " " & Len("") & " " & IsNull(Len(Null)) ' expect: cba 0 True
  Print "tab" & vbTab & "x" & Len(vbCrLf) & Len(vbNewLine) ' expect: tab	x21
  Print Format("abc", ">") & Format("ABC", "<") ' expect: ABCabc
End Sub
